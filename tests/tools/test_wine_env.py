"""The Wine environment of a run (tools/wine/env.sh): its Xvfb is its own, and the fixed address
layout is read from the process itself and, where it cannot be had, told once at the end."""
import ctypes
import os
import re
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.environ.get("ZEL_TOOLS") or os.path.join(HERE, "..", "..", "tools")
ENV_SH = os.path.join(TOOLS, "wine", "env.sh")
ADDR_NO_RANDOMIZE = 0x0040000


def randomised():
    # The suite itself runs without address randomisation (its command set that up), and a
    # child inherits it: each case starts its command the way a user's shell would.
    personality = ctypes.CDLL(None, use_errno=True).personality
    personality.argtypes = [ctypes.c_ulong]
    personality.restype = ctypes.c_int
    current = personality(0xffffffff)
    if current == -1 or personality(current & ~ADDR_NO_RANDOMIZE) == -1:
        raise OSError(ctypes.get_errno(), "cannot switch address randomisation back on")

# One start as a run makes it, on display :$1 only; prints "DISPLAY PID" or nothing, then
# keeps its server until stdin closes.
START = r'''
. "$ENV_SH"
wine_env_pid_file=$PIDS/$2 wine_env_display_file=$PIDS/$2.display
ZEL_XVFB_FIRST=$1 ZEL_XVFB_LAST=$1 wine_env_start_xvfb 2>/dev/null && echo "$DISPLAY $(cat "$wine_env_pid_file")"
echo end
read -r _
[ -f "$wine_env_pid_file" ] && kill "$(cat "$wine_env_pid_file")"
'''


def free_display():
    # Above the runs' own range, so a real run beside this test is not disturbed.
    for n in range(150, 250):
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return n
    raise unittest.SkipTest("no free display from :150 to :249")


class OwnXvfb(unittest.TestCase):
    def test_two_starts_on_one_display(self):
        """Two runs start their Xvfb at the same moment on one display: at most one may take
        it, and that one holds the display's lock with its own, living server."""
        for attempt in range(3):
            with self.subTest(attempt=attempt), tempfile.TemporaryDirectory(prefix="zel-xvfb-") as pids:
                n = free_display()
                env = dict(os.environ, ENV_SH=ENV_SH, PIDS=pids)
                runs = [subprocess.Popen(["bash", "-c", START, "start", str(n), "run%d" % i], env=env, text=True,
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE) for i in range(2)]
                try:
                    got = []
                    for r in runs:
                        lines = []
                        for line in r.stdout:
                            if line.strip() == "end":
                                break
                            lines.append(line.split())
                        got += lines
                    self.assertLessEqual(len(got), 1, "both runs took display :%d: %r" % (n, got))
                    for display, pid in got:
                        self.assertEqual(display, ":%d" % n)
                        with open("/tmp/.X%d-lock" % n) as f:
                            self.assertEqual(f.read().strip(), pid, "the run's server does not hold the lock")
                        os.kill(int(pid), 0)
                finally:
                    for r in runs:
                        r.stdin.close()
                    for r in runs:
                        r.wait(timeout=30)
                        r.stdout.close()


# A command as the test scripts begin, which prints its personality and ends.
COMMAND = r'''
. "$ENV_SH"
wine_env_fixed_layout "$0" "$@"
wine_env_traps
echo "personality $(cat /proc/self/personality)"
echo "last line"
'''


class FixedLayout(unittest.TestCase):
    def run_command(self, **env):
        script = os.path.join(self.tmp, "command.sh")
        with open(script, "w") as f:
            f.write(COMMAND)
        done = subprocess.run(["bash", script], env=dict(os.environ, ENV_SH=ENV_SH, **env),
                              capture_output=True, text=True, timeout=60, preexec_fn=randomised)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory(prefix="zel-layout-")
        self.addCleanup(self.dir.cleanup)
        self.tmp = self.dir.name

    def test_the_process_runs_without_randomisation(self):
        # What the parent claims counts for nothing: only the process's own personality.
        for claims in ({}, {"ZEL_FIXED_LAYOUT": "1", "ZEL_FIXED_LAYOUT_TRIED": "1"}):
            with self.subTest(claims=claims):
                done = self.run_command(**claims)
                persona = int(re.search(r"personality ([0-9a-f]+)", done.stdout).group(1), 16)
                self.assertTrue(persona & ADDR_NO_RANDOMIZE, done.stdout)
                self.assertNotIn("address randomisation", done.stderr)

    def test_a_run_s_server_is_left_to_that_run(self):
        # A command started from inside a run inherits the run's Wine variables; its end must
        # not stop the run's wineserver under the tests still running there.
        told = os.path.join(self.tmp, "told")
        server = os.path.join(self.tmp, "wineserver")
        with open(server, "w") as f:
            f.write("#!/bin/sh\necho \"$@\" >>'%s'\n" % told)
        os.chmod(server, 0o755)
        self.run_command(WINESERVER=server, WINEPREFIX=os.path.join(self.tmp, "prefix"))
        self.assertFalse(os.path.exists(told), "the run's wineserver was told: %s" % (
            open(told).read() if os.path.exists(told) else ""))

    def test_a_refused_switch_is_told_once_at_the_end(self):
        bin_dir = os.path.join(self.tmp, "bin")
        os.makedirs(bin_dir)
        with open(os.path.join(bin_dir, "setarch"), "w") as f:
            f.write("#!/bin/sh\necho 'setarch: failed to set personality: Operation not permitted' >&2\nexit 1\n")
        os.chmod(os.path.join(bin_dir, "setarch"), 0o755)
        done = self.run_command(PATH=bin_dir + os.pathsep + os.environ["PATH"])
        self.assertEqual(done.stderr.count("address randomisation could not be switched off"), 1, done.stderr)
        self.assertIn("Operation not permitted", done.stderr)
        self.assertTrue(done.stderr.startswith("wine: address randomisation"), done.stderr)


if __name__ == "__main__":
    unittest.main()
