"""The launcher's whole road, end to end with the real updater: a host stand-in starts the
launcher (Login with the stand-in page, which calls "AppLogin"), the launcher starts the real
ZelLoader.exe from a copy of the ready folder against the local release server on the build's
login port, the game stand-in runs with the account's credentials, the start is reported, and
the host is told once, after the updater has ended."""
import os
import sys
import time
import unittest
from unittest import mock

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "downloader", "road"))
sys.path.insert(0, HERE)
import launcher_road as lr  # noqa: E402
import test_road  # noqa: E402
from launcher_road import rf  # noqa: E402
from road_fixture import Reply  # noqa: E402

ROAD_BIN = os.environ.get("ZEL_ROAD_BIN", "")
HOST = os.path.join(ROAD_BIN, "launcher_host.exe")
LOGIN_HEADERS = test_road.JSON_HEADERS


class LauncherRoad(test_road.RoadCase):
    """The updater's road fixture (server, statistics endpoint, package, game folder from the
    ready folder), its server on the login port, and the launcher in the folder."""

    def setUp(self):
        for needed in (HOST, os.path.join(ROAD_BIN, lr.LAUNCHER)):
            if not os.path.exists(needed):
                self.fail("built program missing: %r (run through ctest)" % needed)
        with mock.patch.object(test_road, "ReleaseServer", lr.LoginPortServer):
            super().setUp()

    # -- helpers ------------------------------------------------------------------------------
    def launcher_folder(self, name="app", installed="1.0", hold=False, then=None):
        folder = self.folder(name, installed)
        self.driver.updater = os.path.join(folder, "ZelLoader.exe")
        return lr.add_launcher(folder, ROAD_BIN, self.server, hold, then)

    def game_record(self, folder, timeout=90):
        """The game's first two lines once both are written whole."""
        path = os.path.join(folder, "game", "started.txt")

        def whole():
            if not os.path.exists(path):
                return None
            with open(path, "rb") as f:
                data = f.read()
            return data.count(b"\n") >= 2 and b"\0" not in data and rf.read_game_record(folder)
        return rf.wait_for(whole, timeout)

    def start_road(self, folder):
        return lr.start_road(test_road.DRIVER, HOST, folder)

    def host(self, folder):
        return lr.HostRecord(folder)

    def finish_road(self, folder, started):
        """Waits for the host to end; returns the driver's record, the host's record and the
        message boxes that were not the launcher's own dialogs."""
        result = self.finish(started, 180)
        host = self.host(folder)
        self.assertFalse(result.timed_out, result)
        # Every process of the road has ended (the driver returns only then).
        self.assertTrue(result.children and set(result.children) <= set(result.exits), result)
        return result, host, lr.real_boxes(result, host.pid)

    def assert_one_notice(self, host, after_updater=True):
        """Exactly one WM_COPYDATA: kind 1, the 528-byte record, sent from a dialog of the
        launcher's process, once the updater the launcher started had ended."""
        self.assertEqual(len(host.notices), 1, host)
        [notice] = host.notices
        self.assertEqual((notice["pid"], notice["class"], notice["kind"], notice["size"]),
                         (host.pid, "#32770", 1, 528), host)
        self.assertEqual(notice["bytes"], lr.notice_bytes())
        if after_updater:
            self.assertEqual(notice["children"], 0, "the updater still ran when the host was told")

    def updater_of(self, result, host):
        [updater] = lr.children_of(result, host.pid)
        return updater

    def assert_page(self, folder):
        """The page: its address, its place in the dialog, Silent; the file parameter kept."""
        with open(os.path.join(folder, "browser.log"), encoding="utf-8") as f:
            browser = f.read().splitlines()
        expected = ["Left 10", "Top 40", "Width 780", "Height 520",
                    "Navigate " + lr.page_url(self.server) + lr.PAGE_QUERY, "Silent -1"]
        at = 0
        for line in expected:
            self.assertIn(line, browser[at:], "missing or out of order: %r in %r" % (line, browser))
            at = browser.index(line, at) + 1
        self.assertEqual(len([b for b in browser if b.startswith("Navigate ")]), 1, browser)
        with open(os.path.join(folder, "ZelLogin.ini"), encoding="gbk") as f:
            self.assertIn("fileparam=f", f.read().splitlines())

    def assert_installed(self, folder):
        """The image and the package as served, and the game tree the package was made from
        (the read-only file replaced), at the published version."""
        for path, data in (("Skin/bk/bg_1.png", self.png), ("game_v2.7z", self.package_bytes)):
            with open(os.path.join(folder, path), "rb") as f:
                self.assertEqual(f.read(), data, path)
        got = rf.tree_listing(os.path.join(folder, "game"))
        for name in ("started.txt", "quit"):
            got.pop(name, None)
        self.assertEqual(got, rf.tree_listing(os.path.join(self.tree, "game")))
        self.assertEqual(rf.read_version(folder), "2.0")
        self.assertFalse(os.path.exists(os.path.join(folder, "old.exe")))

    def assert_hidden_while_the_game_runs(self, folder):
        """While the game runs the launcher still runs with both windows hidden (after they
        were shown), and the updater's window is hidden too. The game holds the updater, and
        the updater the launcher, until "quit"; the host writes what it sees as it polls, so
        its record may come a little after the launcher hid its windows."""
        def hidden_after_shown():
            host = self.host(folder)
            return host.visible and max(host.visible) >= 2 and host.visible[-1] == 0 and host
        host = rf.wait_for(hidden_after_shown, 30) or self.host(folder)
        self.assertIsNone(host.exit_code, host)
        self.assertGreaterEqual(max(host.visible), 2, host)
        self.assertEqual(host.visible[-1], 0, host)
        self.assertEqual(host.notices, [])
        # The game holds the updater until "quit": the window cannot be gone before this look.
        self.assertEqual(self.driver.wait_hidden(30), "hidden")

    # -- the road -----------------------------------------------------------------------------
    def assert_page_on_screen(self, folder):
        """The screen under the launcher's windows shows the page over the back window (the
        page's opaque colour at its centre) while the page is held; then the page goes on."""
        self.assertTrue(rf.wait_for(lambda: max(self.host(folder).visible or [0]) >= 2, 60), self.host(folder))
        shot = os.path.join(self.dir, "launcher.png")
        x, y = 10 + 780 // 2, 40 + 520 // 2

        def page_shown():
            if not lr.shot_launcher(HOST, self.host(folder).pid, shot):
                return None
            _, _, rows = lr.read_png(shot)
            return tuple(rows[y][4 * x:4 * x + 3])
        # Painting takes a moment after the windows are shown.
        seen = rf.wait_for(lambda: page_shown() == lr.PAGE_COLOUR, 10, step=0.25)
        self.assertTrue(seen, "the page is not on the screen: %r at its centre" % (page_shown(),))
        lr.release_page(folder)

    def test_typical_road(self):
        self.serve()
        folder = self.launcher_folder(hold=True)
        began = time.time()
        started = self.start_road(folder)
        self.assert_page_on_screen(folder)
        record = self.game_record(folder)
        self.assertIsNotNone(record, "the game was not started")
        win_folder = rf.msgbox.windows_path(folder)
        self.assertEqual(record[:2], [test_road.GAME_LINE % win_folder, win_folder])
        self.assert_hidden_while_the_game_runs(folder)
        self.assertTrue(rf.wait_for(self.reports, 20), "no report")
        self.assert_report(True, began=began)

        # "quit": the game ends, then the updater, then the launcher after telling the host.
        self.quit_game(folder)
        result, host, boxes = self.finish_road(folder, started)
        self.assertEqual(boxes, [])
        updater = self.updater_of(result, host)
        self.assertEqual((result.exit_code, host.exit_code, result.exits[host.pid], result.exits[updater]),
                         (0, 0, 0, 0), result)
        self.assertEqual(rf.read_game_record(folder)[2:], ["updater_window hidden", "end"])
        self.assert_one_notice(host)
        self.assert_page(folder)

        # The server saw the road in order: the login address the launcher made (exact, no
        # trailing blank) with the JSON headers, the image, the package, the report.
        paths = [r["path"] for r in self.server.requests if r["path"] != "/Lgtim" or r in self.reports()]
        self.assertEqual(paths, [rf.LOGIN_PATH, "/bg.png", "/pkg/game_v2.7z", "/Lgtim"])
        login = self.server.requests[0]
        self.assertEqual([h for h in login["headers"] if h[0] in dict(LOGIN_HEADERS)], LOGIN_HEADERS)
        self.assert_installed(folder)

    def test_equal_versions(self):
        # The installed game is the published one: no package, the report's time is 0.
        self.serve()
        folder = self.launcher_folder(installed="2.0")
        started = self.start_road(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        self.assert_hidden_while_the_game_runs(folder)
        self.assertTrue(rf.wait_for(self.reports, 20), "no report")
        self.assert_report(True, time=0)
        self.quit_game(folder)
        result, host, boxes = self.finish_road(folder, started)
        self.assertEqual((boxes, result.exit_code, result.exits[self.updater_of(result, host)]), ([], 0, 0), result)
        self.assert_one_notice(host)
        self.assertNotIn("/pkg/game_v2.7z", [r["path"] for r in self.server.requests])
        self.assertEqual(rf.read_version(folder), "2.0")

    def test_page_start_after_the_login(self):
        # The page's other two starts right after "AppLogin" start nothing: the launcher waits
        # for the one updater it started and tells the host once, after it has ended.
        for call, argument in (("LoadGame", "abc"), ("BeforeNavigate2", "app://loadgame|abc|")):
            with self.subTest(call):
                self.server.requests.clear()
                self.serve()
                folder = self.launcher_folder(name=call, installed="2.0", then=(call, argument))
                started = self.start_road(folder)
                self.assertIsNotNone(self.game_record(folder), "the game was not started")
                self.assert_hidden_while_the_game_runs(folder)
                self.quit_game(folder)
                result, host, boxes = self.finish_road(folder, started)
                self.assertEqual((boxes, result.exit_code, host.exit_code), ([], 0, 0), result)
                self.assertEqual(result.exits[self.updater_of(result, host)], 0, result)
                self.assert_one_notice(host)
                self.assertEqual(len(self.server.requests_for(rf.LOGIN_PATH)), 1)

    def test_busy_host(self):
        # The host takes no messages for twenty seconds, and has taken none for more than the
        # five after which a window counts as hung when the game ends: the system refuses the
        # notice at once, the launcher asks again until the host answers (well within its
        # bound), and the notice arrives once, after the updater has ended.
        self.serve()
        folder = self.launcher_folder(installed="2.0")
        started = self.start_road(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        self.assert_hidden_while_the_game_runs(folder)
        lr.make_host_busy(folder, 20)
        self.assertTrue(rf.wait_for(lambda: "busy" in self.host(folder).events, 30), self.host(folder))
        time.sleep(7)
        self.quit_game(folder)
        result, host, boxes = self.finish_road(folder, started)
        self.assertEqual((boxes, result.exit_code, host.exit_code), ([], 0, 0), result)
        self.assertEqual(result.exits[self.updater_of(result, host)], 0, result)
        self.assert_one_notice(host)
        self.assertLess(host.events.index("answering"), host.events.index("copydata"), host)

    def test_self_replacement(self):
        # The first reply names a newer updater: the first process puts it in its place,
        # starts it and ends, and that end is the one the launcher waits for, so the host is
        # told while the new copy carries the road on.
        with open(os.path.join(test_road.READY, "ZelLoader.exe"), "rb") as f:
            newer = f.read() + b"-- a newer updater --"
        self.server.route("/new.exe", Reply(body=newer))
        record = rf.record(self.server, up_version="2", up_url=self.server.url("/new.exe"))
        self.server.route(rf.LOGIN_PATH, [Reply.update(record), Reply.update(rf.record(self.server))])
        self.server.route("/pkg/game_v2.7z", Reply(body=self.package_bytes))
        folder = self.launcher_folder(installed="2.0")
        old = os.path.join(folder, "old.exe")
        seen = {}

        def on_request(srv):
            if len(srv.requests_for(rf.LOGIN_PATH)) == 2 and "old" not in seen:
                seen["old"] = os.path.exists(old)
        self.server.on_request = on_request
        started = self.start_road(folder)
        self.assertIsNotNone(self.game_record(folder), "the game was not started")
        self.assertTrue(rf.wait_for(lambda: self.host(folder).exit_code is not None, 30), "the launcher did not end")
        host = self.host(folder)
        self.assertEqual(host.exit_code, 0)
        self.assert_one_notice(host)
        self.quit_game(folder)
        result, host, boxes = self.finish_road(folder, started)
        self.assertEqual((boxes, result.exit_code), ([], 0), result)
        first = self.updater_of(result, host)
        self.assertEqual(len(lr.children_of(result, first)), 1, result)
        [second] = lr.children_of(result, first)
        self.assertEqual((result.exits[first], result.exits[second]), (0, 0), result)
        self.assertEqual(len(self.server.requests_for(rf.LOGIN_PATH)), 2)
        self.assertEqual(seen, {"old": True})
        self.assertFalse(os.path.exists(old), "the new copy did not remove old.exe")
        with open(os.path.join(folder, "ZelLoader.exe"), "rb") as f:
            self.assertEqual(f.read(), newer)

    def test_failures(self):
        # No game start and no new version. After a failed package the updater's window stays
        # with its failure text until "close" (the version file goes, so the next start
        # downloads again); a failed login is told in boxes and ends the updater. Only after
        # the updater has ended is the host told.
        cases = [
            # name, package reply, login reply, boxes, version file after the road
            ("missing_package", Reply(status=404, body=b"<html>not found</html>"), None, [], None),
            ("no_library", Reply(body=self.package_bytes), None, [], None),
            ("login_error", None, Reply(status=500, body=b"down"), [("提示", "返回错误:500"), ("提示", "down")], "1.0"),
        ]
        for name, package, login, expected_boxes, version in cases:
            with self.subTest(name):
                self.server.requests.clear()
                self.serve(package)
                if login:
                    self.server.route(rf.LOGIN_PATH, login)
                folder = self.launcher_folder(name=name)
                if name == "no_library":
                    os.unlink(os.path.join(folder, "7z.dll"))
                started = self.start_road(folder)
                if not login:
                    self.assertTrue(rf.wait_for(lambda: self.server.requests_for("/pkg/game_v2.7z"), 60))
                    time.sleep(3)  # time enough for extraction and a (wrong) game start
                    self.assert_not_started(folder)
                    self.assertEqual(rf.read_version(folder), "1.0")
                    self.assertEqual(self.host(folder).notices, [], "the host was told while the updater ran")
                    window = self.driver.find(30)
                    self.assertTrue(window and window["visible"], window)
                    self.assertEqual(self.driver.click(*test_road.CLOSE_BUTTON), "clicked")
                result, host, boxes = self.finish_road(folder, started)
                self.assertEqual(boxes, expected_boxes)
                self.assertEqual((result.exit_code, host.exit_code, result.exits[self.updater_of(result, host)]),
                                 (0, 0, 0), result)
                self.assert_one_notice(host)
                self.assert_not_started(folder)
                self.assertEqual(self.reports(), [])
                self.assertEqual(rf.read_version(folder), version)

    def test_close_during_download(self):
        self.serve(Reply(body=self.package_bytes, rate=150_000, chunk=8192))
        folder = self.launcher_folder()
        started = self.start_road(folder)
        self.assertTrue(rf.wait_for(lambda: self.server.requests_for("/pkg/game_v2.7z"), 60))
        time.sleep(1.5)
        self.assertEqual(self.host(folder).notices, [])
        window = self.driver.find(30)
        self.assertTrue(window and window["visible"], window)
        self.assertEqual(self.driver.click(*test_road.CLOSE_BUTTON), "clicked")
        result, host, boxes = self.finish_road(folder, started)
        self.assertEqual((boxes, result.exit_code, result.exits[self.updater_of(result, host)]), ([], 0, 0), result)
        self.assert_one_notice(host)
        self.assertIsNone(rf.read_version(folder), "the version file was kept")
        self.assert_not_started(folder)
        self.assertFalse(os.path.exists(os.path.join(folder, "game_v2.7z")), "a partial package was left")
        self.assertEqual(self.reports(), [])


if __name__ == "__main__":
    unittest.main()
