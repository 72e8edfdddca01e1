"""The updater's WinINet downloads against the local release server, through download_probe
(the same functions ZelLoader uses, with every progress call printed)."""
import os
import random
import re
import unittest

from e2e_common import PROBE, Reply, WineCase, msgbox, probe, probe_lines

SPEED = re.compile(r"^下载速度：\d+\.\d\d (KB|MB)/秒$")


def payload(size, seed=1):
    return random.Random(seed).randbytes(size)


class Downloads(WineCase):
    def setUp(self):
        super().setUp()
        if not os.path.exists(PROBE):
            self.fail("download_probe missing")

    def package(self, url, folder=None):
        """Runs a package download into folder (this test's by default); returns (lines, result)."""
        lines = probe_lines("package", url, msgbox.windows_path(folder or self.dir) + "\\")
        self.assertTrue(lines and lines[-1].startswith("result "), lines)
        return lines, int(lines[-1].split()[1])

    def updates(self, lines):
        out = []
        for line in lines:
            if line.startswith("update "):
                percent, percent_text, speed_text = line[len("update "):].split("\t")
                out.append((int(percent), percent_text, speed_text))
        return out

    def test_download_file(self):
        body = payload(300001)  # not a whole number of chunks
        cases = [
            ("whole", Reply(body=body), "result 0", body),
            ("no_length", Reply(body=body, no_length=True), "result 0", body),
            ("missing", Reply(status=404, body=b"not here"), "result -1", b"before"),
            ("moved_away", Reply(status=500, body=body), "result -1", b"before"),
            ("cut", Reply(body=body, cut_after=150000), "result -1", b"before"),
            ("refused", None, "result -1", b"before"),
        ]
        for name, reply, want, content in cases:
            with self.subTest(name):
                target = os.path.join(self.dir, name + ".bin")
                with open(target, "wb") as f:
                    f.write(b"before")
                if reply is None:
                    url = self.refused_url("/x")
                else:
                    self.server.route("/" + name, reply)
                    url = self.server.url("/" + name)
                self.assertEqual(probe("file", url, target), want)
                with open(target, "rb") as f:
                    self.assertEqual(f.read(), content)
        self.assertEqual(sorted(f for f in os.listdir(self.dir) if not f.endswith(".bin")), [])

    def test_redirects(self):
        # Followed by the updater itself, absolute or relative, ten at most; one more fails.
        body = payload(5000, 4)
        self.server.route("/end.bin", Reply(body=body))
        for chain in (10, 11):
            for i in range(chain):
                target = "/end.bin" if i == chain - 1 else "/c%d/hop%d" % (chain, i + 1)
                # Every other hop names its target relative to the request's own folder or host.
                location = self.server.url(target) if i % 2 == 0 else target
                self.server.route("/c%d/hop%d" % (chain, i), Reply(status=302, headers=[("Location", location)]))
        cases = [("ten", "/c10/hop0", "result 0", body), ("eleven", "/c11/hop0", "result -1", b"before")]
        for name, start, want, content in cases:
            with self.subTest(name):
                target = os.path.join(self.dir, name + ".bin")
                with open(target, "wb") as f:
                    f.write(b"before")
                self.assertEqual(probe("file", self.server.url(start), target), want)
                with open(target, "rb") as f:
                    self.assertEqual(f.read(), content)
        self.assertEqual(len(self.server.requests_for("/end.bin")), 1)

    def test_relative_locations(self):
        # Locations read against the package's own address. Each case starts at
        # /pkg/NAME/game_v2.7z, whose folder this server answers with a page: a redirect that
        # fails must not fetch that page instead, nor succeed with it.
        body = payload(20000, 5)
        cases = [
            ("query", "?sig=2", "/pkg/query/game_v2.7z?sig=2"),
            ("dots", "../v3/./game_v3.7z", "/pkg/v3/game_v3.7z"),
            ("empty", "", None),
            ("blank", "  ", None),
            ("none", None, None),
            # The same resource again: the redirect limit ends it.
            ("fragment", "#x", None),
        ]
        for name, location, target in cases:
            with self.subTest(name):
                start = "/pkg/%s/game_v2.7z" % name
                self.server.route(start, Reply(status=302, headers=[] if location is None else [("Location", location)]))
                self.server.route("/pkg/%s/" % name, Reply(body=b"<html>index</html>"))
                if target:
                    self.server.route(target, Reply(body=body))
                folder = os.path.join(self.dir, name)
                os.makedirs(folder)
                since = len(self.server.requests)
                lines, result = self.package(self.server.url(start), folder)
                asked = [r["path"] for r in self.server.requests[since:]]
                if target:
                    self.assertEqual(result, 0, lines)
                    self.assertEqual(asked, [start, target])
                    with open(os.path.join(folder, "game_v2.7z"), "rb") as f:
                        self.assertEqual(f.read(), body)
                else:
                    self.assertEqual(lines, ["result -1"])
                    self.assertEqual(asked, [start] * (11 if name == "fragment" else 1))
                    self.assertEqual(os.listdir(folder), [])

    def test_long_locations(self):
        # Signed addresses make long Locations: past the first buffer the Location is asked for
        # again at the size it needs and followed whole. (Wine's WinINet cuts header lines at
        # 4 KiB, so the bound on our side is shown in the unit tests.)
        body = payload(3000, 6)
        signed = "/signed/new.bin?sig=" + ("%032x" % random.Random(7).getrandbits(128)) * 124 + "&end=1"
        self.server.route(signed, Reply(body=body))
        self.server.route("/long", Reply(status=302, headers=[("Location", signed)]))
        path = os.path.join(self.dir, "long.bin")
        self.assertEqual(probe("file", self.server.url("/long"), path), "result 0")
        self.assertEqual([r["path"] for r in self.server.requests], ["/long", signed])
        with open(path, "rb") as f:
            self.assertEqual(f.read(), body)

    def test_package(self):
        # Throttled to about 1 MB/s: the first second shows KB/s at 0, then whole megabytes
        # per second appear.
        body = payload(2_600_000)
        self.server.route("/pkg/game.7z", Reply(body=body, rate=1_000_000, chunk=65536))
        lines, result = self.package(self.server.url("/pkg/game.7z"))
        self.assertEqual(result, 0, lines)
        self.assertEqual(lines[0], "begin")
        self.assertIn("end", lines)
        self.assertEqual(lines[-2], "path " + "Z:" + self.dir.replace("/", "\\") + "\\game.7z")
        updates = self.updates(lines)
        self.assertGreaterEqual(len(updates), len(body) // 512)
        percents = [u[0] for u in updates]
        self.assertEqual(percents, sorted(percents))
        self.assertEqual(updates[-1][:2], (100, "正在下载...(100%)"))
        for percent, percent_text, speed_text in updates:
            self.assertEqual(percent_text, "正在下载...(%d%%)" % percent)
            self.assertRegex(speed_text, SPEED)
        speeds = [u[2] for u in updates]
        self.assertEqual(speeds[0], "下载速度：0.00 KB/秒")
        self.assertTrue(any(s.endswith("MB/秒") for s in speeds), speeds[-1])
        with open(os.path.join(self.dir, "game.7z"), "rb") as f:
            self.assertEqual(f.read(), body)

    def test_package_shapes(self):
        # No Content-Length: no fraction to show, the bar stays at 0 and the download succeeds.
        body = payload(100000, 2)
        self.server.route("/open.7z", Reply(body=body, no_length=True))
        lines, result = self.package(self.server.url("/open.7z"))
        self.assertEqual(result, 0)
        self.assertEqual({u[0] for u in self.updates(lines)}, {0})
        self.assertIn("end", lines)
        # An empty package: the controls are shown, no figures, an empty file.
        self.server.route("/empty.7z", Reply(body=b""))
        lines, result = self.package(self.server.url("/empty.7z"))
        self.assertEqual(result, 0)
        self.assertEqual([l for l in lines if not l.startswith("path")], ["begin", "end", "result 0"])
        self.assertEqual(os.path.getsize(os.path.join(self.dir, "empty.7z")), 0)

    def test_package_failures(self):
        body = payload(200000, 3)
        self.server.route("/missing.7z", Reply(status=404, body=b"gone"))
        self.server.route("/cut.7z", Reply(body=body, cut_after=70000))
        cases = [
            ("missing", self.server.url("/missing.7z"), True),
            ("cut", self.server.url("/cut.7z"), True),
            ("refused", self.refused_url("/r.7z"), False),
            # Names that would land outside the folder or are no file names: refused unasked.
            ("no_name", self.server.url("/pkg/"), False),
            ("dot_dot", self.server.url("/pkg/.."), False),
            ("query", self.server.url("/game.7z?v=2"), False),
        ]
        for name, url, asked in cases:
            with self.subTest(name):
                before = len(self.server.requests)
                lines, result = self.package(url)
                self.assertEqual(result, -1, lines)
                self.assertNotIn("end", lines)
                self.assertEqual(len(self.server.requests) > before, asked)
        self.assertEqual(os.listdir(self.dir), [], "a partial package was left behind")


    def test_refused_package_names(self):
        # A package may not take the name of a device or of the folder's own programs and
        # settings: a failed download deletes its file again. Refused before anything is asked.
        own = ["7z.dll", "ZelUpGame.ini", "ZelLogin.ini", "ZelLoader.exe", "Login.exe", "old.exe"]
        for name in own:
            with open(os.path.join(self.dir, name), "wb") as f:
                f.write(b"keep " + name.encode())
        names = own + ["7Z.DLL", "zelupgame.INI", "ZELLOADER.EXE", "login.EXE", "Old.Exe",
                       # As Windows would trim them.
                       "7z.dll.", "ZelLoader.exe ", "old.exe. .",
                       # Devices, with and without an extension, in any case.
                       "NUL", "nul", "COM1", "com9.7z", "LPT1", "lpt2.zip", "CON", "con.7z", "PRN", "aux.7z"]
        for name in names:
            with self.subTest(name):
                self.server.route("/pkg/" + name, Reply(status=404, body=b"gone"))
                lines, result = self.package(self.server.url("/pkg/" + name))
                self.assertEqual(result, -1, lines)
                self.assertNotIn("begin", lines)
        self.assertEqual(self.server.requests, [])
        self.assertEqual(sorted(os.listdir(self.dir)), sorted(own))
        for name in own:
            with open(os.path.join(self.dir, name), "rb") as f:
                self.assertEqual(f.read(), b"keep " + name.encode())


if __name__ == "__main__":
    unittest.main()
