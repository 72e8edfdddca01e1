"""A build folder's loopback ports: a port two folders share, or another program holds, stops
the configure at once with the port and the two settings that move it, and a server that
cannot take its fixed port says the same instead of a bare bind error."""
import os
import socket
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.environ.get("ZEL_TOOLS") or os.path.join(HERE, "..", "..", "tools")
HOSTS = os.path.join(TOOLS, "..", "cmake", "Hosts.cmake")
CMAKE = os.environ.get("ZEL_CMAKE") or "cmake"
sys.path.insert(0, TOOLS)
import ports  # noqa: E402


def free_ports(n):
    socks = [socket.socket() for _ in range(n)]
    for s in socks:
        s.bind(("127.0.0.1", 0))
    numbers = [s.getsockname()[1] for s in socks]
    for s in socks:
        s.close()
    return numbers


class Ports(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="zel-ports-")
        self.addCleanup(self.tmp.cleanup)
        # A registry of this test's own: the machine's claims stay untouched.
        self.env = dict(os.environ, ZEL_PORT_REGISTRY=os.path.join(self.tmp.name, "registry"))
        self.source = os.path.join(self.tmp.name, "src")
        os.makedirs(self.source)
        with open(os.path.join(self.source, "CMakeLists.txt"), "w") as f:
            f.write("cmake_minimum_required(VERSION 3.20)\nproject(hosts NONE)\ninclude(%s)\n"
                    % os.path.abspath(HOSTS).replace("\\", "/"))

    def configure(self, folder, login, stats):
        return subprocess.run([CMAKE, "-S", self.source, "-B", os.path.join(self.tmp.name, folder),
                               "-DZEL_LOGIN_HOST=127.0.0.1:%d" % login, "-DZEL_STATS_HOST=127.0.0.1:%d" % stats],
                              env=self.env, capture_output=True, text=True, timeout=60)

    def assertStops(self, done, *words):
        self.assertNotEqual(done.returncode, 0, done.stdout)
        # CMake wraps the message: compare it as one line.
        text = " ".join(done.stderr.split())
        for w in ("ZEL_LOGIN_HOST", "ZEL_STATS_HOST") + words:
            self.assertIn(w, text)

    def test_a_port_two_folders_share(self):
        a_login, a_stats, b_stats, c_login = free_ports(4)
        cases = [  # (folder, login, stats, ok)
            ("a", a_login, a_stats, True),
            ("b", a_login, b_stats, False),   # a's login port
            ("c", c_login, a_stats, False),   # a's stats port
            ("a", a_login, a_stats, True),    # a itself again
        ]
        for folder, login, stats, ok in cases:
            with self.subTest(folder=folder, login=login, stats=stats):
                done = self.configure(folder, login, stats)
                if ok:
                    self.assertEqual(done.returncode, 0, done.stderr)
                else:
                    shared = a_login if login == a_login else a_stats
                    self.assertStops(done, "port %d" % shared, os.path.join(self.tmp.name, "a"))

    def test_a_claim_whose_folder_is_gone_is_taken_over(self):
        login, stats = free_ports(2)
        self.assertEqual(self.configure("a", login, stats).returncode, 0)
        subprocess.run(["rm", "-rf", os.path.join(self.tmp.name, "a")], check=True)
        done = self.configure("b", login, stats)
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_one_port_for_both_hosts(self):
        (port,) = free_ports(1)
        self.assertStops(self.configure("a", port, port), "port %d" % port)

    def test_a_port_another_program_holds(self):
        login, stats = free_ports(2)
        holder = socket.socket()
        self.addCleanup(holder.close)
        holder.bind(("127.0.0.1", stats))
        holder.listen(1)
        self.assertStops(self.configure("a", login, stats), "port %d" % stats, "pid %d" % os.getpid())
        # The server of a test meets the same message, not a bare bind error.
        with self.assertRaises(ports.PortClash) as raised:
            ports.bind_fixed(lambda: socket.create_server(("127.0.0.1", stats)), stats, "stats", grace=0.3)
        for w in ("port %d" % stats, "ZEL_LOGIN_HOST", "ZEL_STATS_HOST", "pid %d" % os.getpid()):
            self.assertIn(w, str(raised.exception))


if __name__ == "__main__":
    unittest.main()
