"""The updater's whole road, end to end: the real ZelLoader.exe from the ready folder under
Wine, with its skinned window, against the local release server and the statistics endpoint,
the game played by a stand-in; and the same flow on a plain window (road_probe) where the
window's texts are to be read."""
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import road_fixture as rf  # noqa: E402
from road_fixture import Reply, ReleaseServer  # noqa: E402

BUILD = os.environ.get("ZEL_BUILD", "")
READY = os.path.join(BUILD, "ready")
PROGRAMS = os.path.join(BUILD, "tests", "downloader", "road")
DRIVER = os.environ.get("ZEL_MSGBOX_DRIVER", "")
DOWNLOAD_PROBE = os.environ.get("ZEL_DOWNLOAD_PROBE", "")
FIXTURES = os.path.join(BUILD, "tests", "downloader", "extract", "fixtures")
TMP_ROOT = os.environ.get("ZEL_TEST_TMP") or tempfile.gettempdir()

STANDIN = os.path.join(PROGRAMS, "game_standin.exe")
ROAD_DRIVER = os.path.join(PROGRAMS, "road_driver.exe")
ROAD_PROBE = os.path.join(PROGRAMS, "road_probe.exe")
HOLDER = os.path.join(PROGRAMS, "file_holder.exe")
JSON_HEADERS = [("Content-Type", "application/json"), ("Accept", "application/json"), ("charsets", "utf-8")]
CLOSE_BUTTON = (498, 20)  # the skin's "close", in client coordinates
GAME_LINE = "%s\\game\\Game.exe auth_key:tok uid:10001 sid:s1 extraInfo:x1"
# How long a look for the window waits for the updater to start and open it: on a busy
# machine starting Wine programs alone can take tens of seconds, and no case checks how soon.
WINDOW_WAIT = 120


def certificate():
    """The statistics certificate, made and trusted once per build (tests may run side by side)."""
    folder = os.path.join(BUILD, "road-tls")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        return rf.stats_certificate(folder, DOWNLOAD_PROBE)


class RoadCase(unittest.TestCase):
    """A fresh folder, the release server with the statistics endpoint, and the package."""

    uses_stats_port = True

    def setUp(self):
        for needed in (DRIVER, DOWNLOAD_PROBE, STANDIN, ROAD_DRIVER, os.path.join(READY, "ZelLoader.exe")):
            if not needed or not os.path.exists(needed):
                self.fail("built program missing: %r (run through ctest)" % needed)
        os.makedirs(TMP_ROOT, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=self.id().split(".")[-1] + "-", dir=TMP_ROOT)
        self.cert = certificate()
        self.server = ReleaseServer()
        if self.uses_stats_port:
            rf.add_stats_endpoint(self.server, *self.cert)
        self.server.route("/Lgtim", Reply(body=b"ok"))
        self.png = rf.background_png(64, 40)
        self.server.route("/bg.png", Reply(body=self.png))
        self.server.start()
        self.package = os.path.join(self.dir, "game_v2.7z")
        self.tree = rf.make_package(self.dir, self.package, STANDIN)
        with open(self.package, "rb") as f:
            self.package_bytes = f.read()
        self.driver = rf.Driver(ROAD_DRIVER)
        self.instance = "road%d%s" % (os.getpid(), self.id().split(".")[-1][:16])

    def tearDown(self):
        self.server.stop()
        if not getattr(self, "_outcome", None) or self._ok():
            shutil.rmtree(self.dir, ignore_errors=True)

    def _ok(self):
        result = self._outcome.result
        errors = list(getattr(result, "errors", [])) + list(getattr(result, "failures", []))
        return not any(test is self for test, _ in errors)

    # -- helpers ------------------------------------------------------------------------------
    def folder(self, name="app", installed="1.0"):
        """A game folder; with the published version installed, the game is there too."""
        folder = rf.make_game_folder(READY, os.path.join(self.dir, name), installed, self.instance + name[:8])
        if installed == "2.0":
            shutil.copy(STANDIN, os.path.join(folder, "game", "Game.exe"))
        return folder

    def serve(self, package_reply=None, **record):
        self.server.route(rf.LOGIN_PATH, Reply.update(rf.record(self.server, **record)))
        self.server.route("/pkg/game_v2.7z", package_reply or Reply(body=self.package_bytes))

    def start(self, folder, timeout=120):
        self.driver.updater = os.path.join(folder, "ZelLoader.exe")
        return rf.msgbox.start_program(DRIVER, os.path.join(folder, "ZelLoader.exe"),
                                       [self.server.url(rf.LOGIN_PATH)], cwd=folder, timeout=timeout, loader=rf.WINE)

    def finish(self, started, timeout=120):
        return rf.msgbox.finish_program(*started, timeout=timeout)

    def game_record(self, folder, timeout=60):
        return rf.wait_for(lambda: (rf.read_game_record(folder) or [None, None])[1:] and rf.read_game_record(folder),
                           timeout)

    def quit_game(self, folder):
        with open(os.path.join(folder, "game", "quit"), "w"):
            pass

    def reports(self):
        # Other updater tests may report to the same port meanwhile: ours carry uid 10001.
        return [r for r in rf.report_requests(self.server) if b'"uid":"10001"' in r["body"]]

    def assert_report(self, started, began=None, time=None):
        """began: when the road began (before the updater started); the report's time is then
        at most the span from it to the report's arrival, rounded up."""
        [report] = self.reports()
        self.assertEqual(report["method"], "POST")
        self.assertEqual([h for h in report["headers"] if h[0] in dict(JSON_HEADERS)], JSON_HEADERS)
        body = report["body"].decode("utf-8")
        self.assertRegex(body, r'^\{"is_start":%d,"time":\d+,"uid":"10001"\}\n$' % (1 if started else 0))
        seconds = rf.json_body(report)["time"]
        if time is not None:
            self.assertEqual(seconds, time)
        if began is not None:
            self.assertLessEqual(seconds, report["at"] - began + 1)

    def assert_not_started(self, folder):
        self.assertIsNone(rf.read_game_record(folder), "the game was started")

    def close_window(self, started):
        """Clicks "close" in the window and returns the program's record."""
        window = self.driver.find(WINDOW_WAIT)
        self.assertTrue(window and window["visible"], window)
        self.assertEqual(self.driver.click(*CLOSE_BUTTON), "clicked")
        return self.finish(started, 60)


class Road(RoadCase):
    def test_typical_road(self):
        # The package waits until the window was seen, so the road cannot pass it unseen.
        package_held = threading.Event()
        self.addCleanup(package_held.set)
        self.serve(Reply(body=self.package_bytes, hold=package_held))
        folder = self.folder()
        with open(os.path.join(folder, "old.exe"), "wb") as f:
            f.write(b"left over")
        began = time.time()
        started = self.start(folder)
        window = self.driver.find(WINDOW_WAIT)
        self.assertTrue(window and window["visible"], window)
        self.assertEqual((window["w"], window["h"]), (520, 320))
        package_held.set()
        record = self.game_record(folder)
        self.assertIsNotNone(record, "the game was not started")
        # The game: its exact command line, run in the updater's folder, the window hidden.
        win_folder = rf.msgbox.windows_path(folder)
        self.assertEqual(record[:2], [GAME_LINE % win_folder, win_folder])
        # The game holds the updater until "quit": the window cannot be gone before this look.
        self.assertEqual(self.driver.wait_hidden(30), "hidden")
        self.assertTrue(rf.wait_for(self.reports, 20), "no report")
        self.assert_report(True, began=began)
        # The end: the game ends, the updater follows with 0.
        self.quit_game(folder)
        self.assertTrue(rf.wait_for(lambda: (rf.read_game_record(folder) or [])[-1:] == ["end"], 60),
                        "the game did not end")
        game_ended_at = time.time()
        result = self.finish(started)
        # The watchdog looks once a second, so the updater follows the game at its next look;
        # the bound is that look's, with room for a loaded machine.
        self.assertLess(time.time() - game_ended_at, 20)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        self.assertEqual(rf.read_game_record(folder)[2:], ["updater_window hidden", "end"])
        # The server saw the road in order.
        # (Reports of other tests' updaters may reach the shared statistics port: not ours.)
        paths = [r["path"] for r in self.server.requests if r["path"] != "/Lgtim" or r in self.reports()]
        self.assertEqual(paths, [rf.LOGIN_PATH, "/bg.png", "/pkg/game_v2.7z", "/Lgtim"])
        login = self.server.requests[0]
        self.assertEqual([h for h in login["headers"] if h[0] in dict(JSON_HEADERS)], JSON_HEADERS)
        # What landed on disk: the image, the package, and a tree equal to `7zz x` of it.
        with open(os.path.join(folder, "Skin", "bk", "bg_1.png"), "rb") as f:
            self.assertEqual(f.read(), self.png)
        with open(os.path.join(folder, "game_v2.7z"), "rb") as f:
            self.assertEqual(f.read(), self.package_bytes)
        reference = os.path.join(self.dir, "reference")
        subprocess.run([rf.SEVENZ, "x", "-y", "-o" + reference, self.package], check=True, stdout=subprocess.DEVNULL)
        got = rf.tree_listing(os.path.join(folder, "game"))
        for name in ("started.txt", "quit"):
            got.pop(name, None)
        self.assertEqual(got, rf.tree_listing(os.path.join(reference, "game")))
        for name in ("Game.exe", os.path.join("data", "a", "b.bin")):
            self.assertEqual(int(os.path.getmtime(os.path.join(folder, "game", name))),
                             int(os.path.getmtime(os.path.join(reference, "game", name))))
        self.assertEqual(rf.read_version(folder), "2.0")
        self.assertFalse(os.path.exists(os.path.join(folder, "old.exe")))

    def test_equal_versions(self):
        self.serve()
        folder = self.folder(installed="2.0")
        # The window shows for the version check only: the looking program (of this test's
        # updater alone) is already looking when the updater starts.
        self.driver.updater = os.path.join(folder, "ZelLoader.exe")
        finder = subprocess.Popen(self.driver.command("await", "60"), stdout=subprocess.PIPE)
        self.addCleanup(lambda: finder.poll() is None and finder.kill())
        self.assertEqual(finder.stdout.readline().decode().strip(), "looking")
        started = self.start(folder)
        line = finder.communicate(timeout=120)[0].decode()
        self.assertTrue(line.startswith("window 1"), line)
        self.assertIsNotNone(self.game_record(folder))
        # Three version-check steps of 300 ms and the half second before the start, between
        # two moments taken at the two ends: the server's, before it handed over the
        # background image (the window opens only after it), and the game's record, written
        # after it started. A slow machine can only widen the span.
        [image] = self.server.requests_for("/bg.png")
        game_at = os.path.getmtime(os.path.join(folder, "game", "started.txt"))
        self.assertGreaterEqual(game_at - image["at"], 1.35)
        self.assertTrue(rf.wait_for(self.reports, 20), "no report")
        self.assert_report(True, time=0)
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        self.assertNotIn("/pkg/game_v2.7z", [r["path"] for r in self.server.requests])
        self.assertEqual(rf.read_version(folder), "2.0")

    def test_failed_packages(self):
        # No game start and no new version whenever the package is not installed whole; the
        # window stays with its failure text until "close", which removes the version file
        # so that the next start downloads again.
        def fixture(name):
            with open(os.path.join(FIXTURES, name), "rb") as f:
                return f.read()
        cases = [
            ("missing", Reply(status=404, body=b"<html>not found</html>")),
            ("cut", Reply(body=self.package_bytes, cut_after=len(self.package_bytes) // 2)),
            ("page", Reply(body=fixture("page.7z"))),
            ("corrupt", Reply(body=fixture("broken.7z"))),
            ("encrypted", Reply(body=fixture("encdata.7z"))),
            ("hostile", Reply(body=fixture("hostile_dotdot.7z"))),
            ("broken_headers", Reply(body=fixture("broken_headers.7z"))),
            ("no_library", Reply(body=self.package_bytes)),
        ]
        for name, reply in cases:
            with self.subTest(name):
                self.server.requests.clear()
                self.serve(reply)
                folder = self.folder(name=name)
                if name == "no_library":
                    os.unlink(os.path.join(folder, "7z.dll"))
                started = self.start(folder)
                self.assertTrue(rf.wait_for(lambda: self.server.requests_for("/pkg/game_v2.7z"), 30))
                time.sleep(3)  # time enough for extraction and a (wrong) game start
                self.assert_not_started(folder)
                self.assertEqual(rf.read_version(folder), "1.0")
                self.assertEqual(self.reports(), [])
                self.assertFalse(os.path.exists(os.path.join(self.dir, "escaped.txt")))
                self.assertFalse(os.path.exists(os.path.join(folder, "game", "data")))
                result = self.close_window(started)
                self.assertEqual((result.exit_code, result.boxes), (0, []), result)
                # Looked at again once the updater has ended: a start later than the wait above
                # would show here.
                self.assert_not_started(folder)
                self.assertIsNone(rf.read_version(folder), "the version file was kept")

    def test_close_during_download(self):
        self.serve(Reply(body=self.package_bytes, rate=150_000, chunk=8192))
        folder = self.folder()
        started = self.start(folder)
        self.assertTrue(rf.wait_for(lambda: self.server.requests_for("/pkg/game_v2.7z"), 30))
        time.sleep(1.5)
        window = self.driver.find(WINDOW_WAIT)
        self.assertTrue(window and window["visible"], window)
        self.assertEqual(self.driver.click(*CLOSE_BUTTON), "clicked")
        clicked_at = time.time()
        result = self.finish(started, 60)
        # A close ends the updater within seconds: it waits a few seconds at most for the
        # download to stop. The bound is that behaviour's, with room for a loaded machine.
        self.assertLess(time.time() - clicked_at, 30)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        self.assertIsNone(rf.read_version(folder), "the version file was kept")
        self.assert_not_started(folder)
        self.assertFalse(os.path.exists(os.path.join(folder, "game_v2.7z")), "a partial package was left")
        self.assertFalse(os.path.exists(os.path.join(folder, "game", "Game.exe")))
        self.assertEqual(self.reports(), [])

    def test_closing_a_stalled_download(self):
        # The server sends the headers and a little of the package, then nothing while it
        # holds the connection. Every way of closing the window takes the same road: the
        # window keeps drawing, the updater ends within seconds with 0, and no package, no
        # game and no version are left behind.
        for how in ("skin", "wm_close", "alt_f4", "sysmenu", "endsession"):
            with self.subTest(how):
                self.server.requests.clear()
                self.serve(Reply(body=self.package_bytes, cut_after=5000, stall=150))
                folder = self.folder(name=how)
                package = os.path.join(folder, "game_v2.7z")
                started = self.start(folder)
                window = self.driver.find(WINDOW_WAIT)
                self.assertTrue(window and window["visible"], window)
                # Past the headers: the file is open and the read waits for bytes that never come.
                self.assertTrue(rf.wait_for(lambda: os.path.exists(package), 30))
                time.sleep(1)
                args = ("close", how) + (CLOSE_BUTTON if how == "skin" else ())
                # Drawn before it went: the close was under way when this returned.
                self.assertEqual(self.driver.run(*args), "painted")
                closing_at = time.time()
                result = self.finish(started, 90)
                # A close that waited for the read would end only at the stall limit, a minute
                # after the last byte; the close itself takes a few seconds at most. The bound
                # tells the two apart with room for a loaded machine.
                self.assertLess(time.time() - closing_at, 40)
                self.assertEqual((result.exit_code, result.boxes), (0, []), result)
                self.assertFalse(os.path.exists(package), "a partial package was left")
                self.assertIsNone(rf.read_version(folder), "the version file was kept")
                self.assert_not_started(folder)
                self.assertEqual(self.reports(), [])

    def test_game_that_does_not_start(self):
        # open names a missing file: the player is told, the report says so, the window
        # stays; "close" after a plain version check keeps the version file.
        self.serve(open="game\\Missing.exe")
        folder = self.folder(installed="2.0")
        started = self.start(folder)
        self.assertTrue(rf.wait_for(self.reports, 30), "no report")
        self.assert_report(False, time=0)
        window = self.driver.find(5)
        self.assertTrue(window and window["visible"], window)
        result = self.close_window(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        self.assertEqual(rf.read_version(folder), "2.0")

    def test_folder_with_a_blank(self):
        self.serve()
        folder = self.folder(name="my games", installed="2.0")
        started = self.start(folder)
        record = self.game_record(folder)
        self.assertIsNotNone(record, "the game was not started")
        win_folder = rf.msgbox.windows_path(folder)
        self.assertEqual(record[:2], ['"%s\\game\\Game.exe" auth_key:tok uid:10001 sid:s1 extraInfo:x1' % win_folder,
                                      win_folder])
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def test_hit_test(self):
        # A skin with a size box and one control of each kind in the caption area.
        self.serve(open="game\\Missing.exe")
        folder = self.folder(installed="2.0")
        with open(os.path.join(folder, "Skin", "MainWnd.xml"), "w", encoding="utf-8") as f:
            f.write("""<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,300" caption="0,0,0,60" sizebox="6,6,6,6">
  <VerticalLayout bkcolor="#FF203040">
    <HorizontalLayout height="60">
      <Label width="50" text="label" />
      <Button width="50" text="b" />
      <Option width="50" text="o" />
      <Slider width="50" height="60" />
      <Text width="50" height="60" text="t" />
      <Control width="50" />
      <Button name="close" width="50" text="x" />
    </HorizontalLayout>
    <Label name="Optionts" height="30" />
    <Label name="Optionsum" height="30" />
    <Label name="Optionbt" height="30" />
    <Progress name="myprogress" height="10" />
    <Label name="Optiontexe" height="20" />
    <Button name="again" height="20" />
  </VerticalLayout>
</Window>
""")
        started = self.start(folder)
        # Found once shown and painted, which is when the controls have their places.
        window = self.driver.find(WINDOW_WAIT)
        self.assertTrue(window and window["visible"], window)
        self.assertEqual((window["w"], window["h"]), (400, 300))
        cases = [
            ("top_left", 2, 2, 13), ("top", 200, 2, 12), ("top_right", 397, 2, 14),
            ("left", 2, 150, 10), ("right", 397, 150, 11),
            ("bottom_left", 2, 297, 16), ("bottom", 200, 297, 15), ("bottom_right", 397, 297, 17),
            ("label", 25, 30, 2), ("button", 75, 30, 1), ("option", 125, 30, 1), ("slider", 175, 30, 1),
            ("text", 225, 30, 2), ("plain_control", 275, 30, 2), ("layout_in_caption", 375, 30, 2),
            ("below_caption", 200, 80, 1),
        ]
        for name, x, y, code in cases:
            with self.subTest(name):
                self.assertEqual(self.driver.hittest(x, y), code)
        result = self.close_window_at(started, 325, 30)
        self.assertEqual(result.exit_code, 0)

    # -- files in use ---------------------------------------------------------------------------
    def hold(self, program, *args):
        """Starts a file_holder (under any name) and waits until it holds what it was told to."""
        holder = subprocess.Popen([rf.WINE, program] + [str(a) for a in args], stdout=subprocess.PIPE,
                                  stdin=subprocess.DEVNULL)
        self.addCleanup(lambda: holder.poll() is None and holder.kill())
        self.assertEqual(holder.stdout.readline().decode().strip(), "holding")
        return holder

    def aside_copies(self, folder):
        return sorted(name for name in rf.tree_listing(folder) if ".zel-old-" in name)

    def test_files_in_use(self):
        # The launcher runs from Login.exe (here a holder under that name, which also keeps a
        # game library loaded), the updater runs from ZelLoader.exe and loads 7z.dll: a package
        # that replaces all four installs, the game starts, and the old copies go at the next
        # start.
        folder = self.folder()
        shutil.copy(HOLDER, os.path.join(folder, "Login.exe"))
        shutil.copy(os.path.join(READY, "7z.dll"), os.path.join(folder, "game", "codec.dll"))
        new = {}
        for name, source in (("Login.exe", HOLDER), ("7z.dll", os.path.join(READY, "7z.dll")),
                             ("ZelLoader.exe", os.path.join(READY, "ZelLoader.exe")),
                             ("game/codec.dll", os.path.join(READY, "7z.dll"))):
            with open(source, "rb") as f:
                # Bytes after the image change the file, not the program.
                new[name] = f.read() + b"\0new release of " + name.encode()
        self.tree = rf.make_package(self.dir, self.package, STANDIN, extra=new)
        with open(self.package, "rb") as f:
            self.package_bytes = f.read()
        self.serve()
        release = os.path.join(folder, "release")
        launcher = self.hold(os.path.join(folder, "Login.exe"), "--load", rf.msgbox.windows_path(
            os.path.join(folder, "game", "codec.dll")), "--until", rf.msgbox.windows_path(release), "--ms", 240000)

        started = self.start(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        for name, data in new.items():
            with open(os.path.join(folder, name), "rb") as f:
                self.assertTrue(f.read() == data, "%s is not the new file" % name)
        self.assertEqual(rf.read_version(folder), "2.0")
        copies = self.aside_copies(folder)
        self.assertEqual([c.split(".zel-old-")[0] for c in copies],
                         sorted(["7z.dll", "Login.exe", "ZelLoader.exe", os.path.join("game", "codec.dll")]))
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        open(release, "w").close()
        launcher.wait(60)

        # The next start (the new updater, equal versions) removes the copies.
        for name in ("started.txt", "quit"):
            os.unlink(os.path.join(folder, "game", name))
        started = self.start(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started again")
        self.assertEqual(self.aside_copies(folder), [])
        self.assertFalse(os.path.exists(os.path.join(folder, "ZelOldFiles.lst")))
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def hold_game_file(self, sharing):
        """The package served, a game folder, and a holder of its game\\readonly.dat with that
        sharing until the returned release file appears: (folder, held file, release, holder)."""
        self.serve()
        folder = self.folder()
        held = os.path.join(folder, "game", "readonly.dat")
        release = os.path.join(folder, "release")
        holder = self.hold(HOLDER, "--hold", rf.msgbox.windows_path(held), sharing,
                           "--until", rf.msgbox.windows_path(release), "--ms", 240000)
        return folder, held, release, holder

    def test_file_held_briefly(self):
        # A game file held without any sharing while the package unpacks: the updater waits
        # for it and installs.
        folder, held, release, scanner = self.hold_game_file("none")
        started = self.start(folder)
        package = os.path.join(folder, "game_v2.7z")
        self.assertTrue(rf.wait_for(lambda: os.path.exists(package) and os.path.getsize(package) ==
                                    len(self.package_bytes), 60), "the package was not downloaded")
        # Long enough for the extraction to reach the held file on a busy machine.
        time.sleep(4)
        self.assert_not_started(folder)
        released_at = time.time()  # taken first: the game can start only after the release
        open(release, "w").close()
        self.assertEqual(scanner.stdout.readline().decode().strip(), "released")
        scanner.wait(30)
        record = self.game_record(folder)
        self.assertIsNotNone(record, "the game was not started")
        self.assertGreaterEqual(os.path.getmtime(os.path.join(folder, "game", "started.txt")), released_at - 1)
        with open(held, "rb") as f:
            self.assertEqual(f.read(), b"new read-only data v2.0\r\n")
        self.assertEqual(rf.read_version(folder), "2.0")
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def listed_copies(self, folder):
        """The lines of the list of copies moved aside, as paths like aside_copies gives."""
        path = os.path.join(folder, "ZelOldFiles.lst")
        if not os.path.exists(path):
            return []
        with open(path, "rb") as f:
            text = f.read().decode("utf-8")
        self.assertTrue(text.endswith("\r\n"), text)
        return sorted(line.replace("\\", os.sep) for line in text[:-2].split("\r\n"))

    def test_file_held_with_delete_sharing(self):
        # A game helper or an indexer holds a game file through the whole update and shares
        # everything: the file is moved aside at once, which frees its name for the new one,
        # the update installs and the game starts. The copy, listed once and deleted as soon
        # as it was moved, goes the moment the holder lets go.
        folder, held, release, helper = self.hold_game_file("delete")
        started = self.start(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        with open(held, "rb") as f:
            self.assertEqual(f.read(), b"new read-only data v2.0\r\n")
        self.assertEqual(rf.read_version(folder), "2.0")
        copies = self.aside_copies(folder)
        self.assertEqual([c.split(".zel-old-")[0] for c in copies], [os.path.join("game", "readonly.dat")])
        self.assertEqual(self.listed_copies(folder), copies)
        open(release, "w").close()
        self.assertEqual(helper.stdout.readline().decode().strip(), "released")
        helper.wait(30)
        self.assertEqual(self.aside_copies(folder), [], "the copy outlived its holder")
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def test_differential_package(self):
        # A package with anti-items for files the new release no longer has: they go from the
        # installed game, everything else is installed, and the game starts.
        folder = self.folder()
        gone = [os.path.join("game", "obsolete.dat"), os.path.join("game", "oldmaps", "m1.txt")]
        for name in gone:
            rf.write_file(os.path.join(folder, name), b"installed by the old release\r\n")
        rf.write_file(os.path.join(folder, "game", "oldmaps", "mine.txt"), b"the player's own\r\n")
        self.tree = rf.make_differential_package(self.dir, self.package, STANDIN, gone)
        with open(self.package, "rb") as f:
            self.package_bytes = f.read()
        listing = subprocess.run([rf.SEVENZ, "l", "-slt", self.package], capture_output=True, check=True).stdout
        # The two files and the folder that only one of them filled.
        self.assertEqual(listing.count(b"Anti = +"), 3, listing)
        self.serve()
        started = self.start(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        for name in gone:
            self.assertFalse(os.path.exists(os.path.join(folder, name)), name)
        with open(os.path.join(folder, "game", "oldmaps", "mine.txt"), "rb") as f:
            self.assertEqual(f.read(), b"the player's own\r\n")
        got = rf.tree_listing(os.path.join(folder, "game"))
        for name in ("started.txt", "oldmaps", os.path.join("oldmaps", "mine.txt")):
            got.pop(name, None)
        self.assertEqual(got, rf.tree_listing(os.path.join(self.tree, "game")))
        self.assertEqual(rf.read_version(folder), "2.0")
        self.quit_game(folder)
        result = self.finish(started)
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def close_window_at(self, started, x, y):
        self.assertEqual(self.driver.click(x, y), "clicked")
        return self.finish(started, 60)


class Probe(RoadCase):
    """The flow on a plain window: what the window is told to show."""

    uses_stats_port = False

    def setUp(self):
        super().setUp()
        # The report goes to this test's own server, so these cases need no fixed port.
        self.stats = ReleaseServer(https=True, cert=self.cert)
        self.stats.route("/Lgtim", Reply(body=b"ok"))
        self.stats.start()
        self.addCleanup(self.stats.stop)

    def probe(self, folder, stop_on=None, report_path="/Lgtim", timeout=120, options=()):
        args = [rf.WINE, ROAD_PROBE] + list(options) + [
            rf.msgbox.windows_path(folder), self.server.url(rf.LOGIN_PATH),
            self.stats.https_url(report_path)] + ([stop_on] if stop_on else [])
        try:
            done = subprocess.run(args, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired as e:
            self.fail("the probe did not end: %s" % (e.stdout or b"").decode("utf-8", "replace"))
        lines = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()
        return done.returncode, lines

    def game_folder(self, name="app", installed="1.0"):
        return self.folder(name, installed)

    def fields(self, line):
        return dict(p.split("=", 1) for p in line.split(" ")[1:] if "=" in p)

    def test_download_road_texts(self):
        self.serve()
        folder = self.game_folder()
        code, lines = self.probe_with_quick_game(folder)
        self.assertEqual(code, 0, lines)
        applied = [self.fields(l) for l in lines if l.startswith("apply")]
        percents = [a["percent"] for a in applied if "percent" in a]
        downloads = [p for p in percents if p.startswith("正在下载...(")]
        unpacks = [p for p in percents if p.startswith("正在解压...(")]
        self.assertTrue(downloads and unpacks, percents)
        self.assertEqual(unpacks[-1], "正在解压...(100%)")
        self.assertLess(percents.index(downloads[-1]), percents.index(unpacks[0]))
        speeds = [a["speed"] for a in applied if "speed" in a]
        self.assertTrue(speeds and all(s.startswith("下载速度：") for s in speeds), speeds)
        messages = [a["message"] for a in applied if "message" in a]
        self.assertEqual(messages, ["版本比对成功，正在启动游戏。。。"])
        self.assertEqual(applied[-1].get("window_visible"), "0")
        # Far fewer wake-ups than chunks (the package is thousands of 512-byte chunks).
        wakes = int([l for l in lines if l.startswith("wakes ")][0].split()[1])
        self.assertLess(wakes, len(self.package_bytes) // 512 // 20)
        [report] = self.stats.requests
        self.assertRegex(report["body"].decode(), r'^\{"is_start":1,"time":\d+,"uid":"10001"\}\n$')

    def probe_with_quick_game(self, folder, **kw):
        # The stand-in (from the package or put there) ends by itself after a second.
        with open(os.path.join(folder, "game", "autoquit"), "w") as f:
            f.write("1")
        return self.probe(folder, **kw)

    def test_game_watched_without_a_watchdog_thread(self):
        # No thread for the watchdog: the game runs all the same, so the window hides, the
        # report says it started, no failure is shown, and the worker itself ends the updater
        # with 0 once the game has ended.
        for installed in ("1.0", "2.0"):
            with self.subTest(installed=installed):
                self.stats.requests.clear()
                self.serve()
                folder = self.game_folder(name="v" + installed, installed=installed)
                code, lines = self.probe_with_quick_game(folder, options=("--thread-starts", "1"))
                self.assertEqual(code, 0, lines)
                self.assertIsNotNone(rf.read_game_record(folder), "the game was not started")
                applied = [self.fields(l) for l in lines if l.startswith("apply")]
                messages = [a["message"] for a in applied if "message" in a]
                self.assertEqual(messages[-1], "版本比对成功，正在启动游戏。。。", lines)
                self.assertNotIn("启动游戏失败", messages)
                self.assertEqual(applied[-1].get("window_visible"), "0", lines)
                self.assertNotIn("worker-ended", lines)
                [report] = self.stats.requests
                self.assertRegex(report["body"].decode(), r'^\{"is_start":1,"time":\d+,"uid":"10001"\}\n$')
                self.assertEqual(rf.read_version(folder), "2.0")

    def test_version_check_texts(self):
        self.serve()
        folder = self.game_folder(installed="2.0")
        code, lines = self.probe_with_quick_game(folder)
        self.assertEqual(code, 0, lines)
        applied = [self.fields(l) for l in lines if l.startswith("apply")]
        messages = [a["message"] for a in applied if "message" in a]
        self.assertEqual(messages, ["版本比对中..."] * 3 + ["版本比对成功，正在启动游戏。。。"])
        self.assertTrue(all(a.get("progress_visible") == "0" for a in applied if "message" in a))
        self.assertFalse(any("progress" in a for a in applied))

    def test_failure_texts(self):
        cases = [
            ("package_missing", dict(), Reply(status=404), "1.0", "更新失败，请重新启动", 3),
            ("game_missing", dict(open="game\\Missing.exe"), None, "2.0", "启动游戏失败", 3),
        ]
        for name, record, package, installed, text, code_expected in cases:
            with self.subTest(name):
                self.stats.requests.clear()
                self.serve(package, **record)
                folder = self.game_folder(name=name, installed=installed)
                code, lines = self.probe(folder)
                self.assertEqual(code, code_expected, lines)
                messages = [self.fields(l)["message"] for l in lines if "message=" in l]
                self.assertEqual(messages[-1], text)
                self.assertNotIn("window_visible=0", "\n".join(lines))
                if name == "game_missing":
                    [report] = self.stats.requests
                    self.assertEqual(report["body"], b'{"is_start":0,"time":0,"uid":"10001"}\n')

    def start_probe(self, folder, *stop):
        args = [rf.WINE, ROAD_PROBE, rf.msgbox.windows_path(folder), self.server.url(rf.LOGIN_PATH),
                self.stats.https_url("/Lgtim")] + [str(a) for a in stop]
        return subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def finish_probe(self, proc, timeout=200):
        try:
            out, _ = proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            self.fail("the probe did not end")
        return proc.returncode, out.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()

    def assert_update_failed(self, folder, code, lines):
        self.assertEqual(code, 3, lines)
        messages = [self.fields(l)["message"] for l in lines if "message=" in l]
        self.assertEqual(messages[-1:], ["更新失败，请重新启动"], lines)
        self.assertEqual(rf.read_version(folder), "1.0")
        self.assertEqual([n for n in os.listdir(folder) if n.endswith(".7z")], [])
        self.assertIsNone(rf.read_game_record(folder))

    def test_package_that_stalls(self):
        # Nothing at all, or the headers and a little, then silence on a held connection: a
        # minute without a byte fails the download, long before the server would let go. The
        # two run side by side; each folder has its own package route.
        cases = [
            ("no_headers", Reply(body=self.package_bytes, delay=150)),
            ("stops", Reply(body=self.package_bytes, cut_after=5000, stall=150)),
        ]
        runs = []
        for name, reply in cases:
            self.server.route("/pkg/%s/game_v2.7z" % name, reply)
            self.server.route("/login-%s" % name, Reply.update(rf.record(
                self.server, game_url=self.server.url("/pkg/%s/game_v2.7z" % name))))
            folder = self.game_folder(name=name)
            args = [rf.WINE, ROAD_PROBE, rf.msgbox.windows_path(folder), self.server.url("/login-%s" % name),
                    self.stats.https_url("/Lgtim")]
            runs.append((name, folder, subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)))
        for name, folder, proc in runs:
            with self.subTest(name):
                code, lines = self.finish_probe(proc)
                self.assert_update_failed(folder, code, lines)
                # The updater gave up while the server still held the connection silent...
                silence = self.server.ended_silence("/pkg/%s/game_v2.7z" % name)
                self.assertTrue(silence, "the server is still silent to a probe that has ended")
                self.assertEqual(silence["ended_by"], "client", silence)
                # ...after a minute of it, not less: the limit is a time (a slow machine can
                # only make the silence seen longer).
                self.assertGreater(silence["until"] - silence["from"], 58)
        self.assertEqual(self.stats.requests, [])

    def test_closing_a_stalled_download(self):
        # The headers and a little of the package, then silence on a held connection: the
        # close stops the worker inside its read, so the close sees it end (it would give up
        # on it after three seconds), and nothing is left behind.
        self.serve(Reply(body=self.package_bytes, cut_after=5000, stall=150))
        folder = self.game_folder()
        code, lines = self.finish_probe(self.start_probe(folder, "正在下载", 1500))
        self.assertEqual(code, 4, lines)
        self.assertEqual(lines[-3:-2], ["worker-ended"], lines)
        self.assertEqual(lines[-1], "stopped", lines)
        self.assertEqual([n for n in os.listdir(folder) if n.endswith(".7z")], [])
        self.assertIsNone(rf.read_version(folder), "the version file was kept")
        self.assertIsNone(rf.read_game_record(folder))
        self.assertEqual(self.stats.requests, [])

    def test_package_addresses_that_fail(self):
        # A redirect loop (followed ten times) and addresses that are no http(s) URL with a
        # host: a failed download like any other, never a crash.
        self.server.route("/pkg/loop/game_v2.7z", Reply(status=302, headers=[("Location", "game_v2.7z")]))
        cases = [
            ("redirect_loop", self.server.url("/pkg/loop/game_v2.7z")),
            ("colon_slash", ":/x.7z"),
            ("colons", "::::/game.7z"),
            ("ftp", "ftp:x/game.7z"),
            ("no_host", "http:///game_v2.7z"),
            ("bad_port", "http://127.0.0.1:0/game_v2.7z"),
        ]
        for name, url in cases:
            with self.subTest(name):
                self.serve(game_url=url)
                folder = self.game_folder(name=name)
                code, lines = self.probe(folder)
                self.assert_update_failed(folder, code, lines)
        self.assertEqual(len(self.server.requests_for("/pkg/loop/game_v2.7z")), 11)

    def test_close_racing_the_game_start(self):
        # Closes at moments around the game start (it follows "版本比对成功..." by half a
        # second): a close that came first starts no game and leaves no version (the update
        # was interrupted); a game that started keeps the version it was installed with.
        self.serve()
        outcomes = set()
        for delay in (0, 300, 450, 490, 510, 550, 700, 2000):
            with self.subTest(delay=delay):
                folder = self.game_folder(name="at%d" % delay)
                with open(os.path.join(folder, "game", "autoquit"), "w") as f:
                    f.write("1")
                code, lines = self.finish_probe(self.start_probe(folder, "版本比对成功", delay))
                started = rf.read_game_record(folder) is not None
                outcomes.add(started)
                if started:
                    self.assertEqual(rf.read_version(folder), "2.0")
                else:
                    self.assertEqual(code, 4, lines)
                    self.assertIsNone(rf.read_version(folder), lines)
                if delay == 0:
                    self.assertFalse(started)
        self.assertIn(True, outcomes)

    def test_stop_during_extraction(self):
        self.serve()
        folder = self.game_folder()
        code, lines = self.probe(folder, stop_on="正在解压")
        self.assertEqual(code, 4, lines)
        self.assertIn("stopped", lines)
        self.assertIsNone(rf.read_version(folder), "the version file was kept")
        self.assertIsNone(rf.read_game_record(folder))
        self.assertEqual(self.stats.requests, [])

    def test_report_redirect_is_not_followed(self):
        self.serve()
        self.stats.route("/moved", Reply(status=302, headers=[("Location", self.stats.https_url("/Lgtim"))]))
        folder = self.game_folder(installed="2.0")
        code, lines = self.probe_with_quick_game(folder, report_path="/moved")
        self.assertEqual(code, 0, lines)
        self.assertEqual([r["path"] for r in self.stats.requests], ["/moved"])


if __name__ == "__main__":
    unittest.main()
