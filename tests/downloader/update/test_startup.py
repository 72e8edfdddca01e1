"""The updater's start-up road, run as the real ZelLoader.exe under Wine against the local
release server; its message boxes are read and answered by the box driver."""
import os
import struct
import threading
import time
import unittest

from e2e_common import (DYING, NETWORK_ERROR, LOADER, ReleaseServer, Reply, WineCase, msgbox,
                        patched_program, probe, probe_lines, sha, sha_bytes)
from release_server import make_ca_signed

JSON_HEADERS = [("Content-Type", "application/json"), ("Accept", "application/json"), ("charsets", "utf-8")]


class Startup(WineCase):
    def test_no_argument(self):
        folder = self.app()
        result = self.run_loader(folder, [])
        self.assertEqual(result.exit_code, 0, result)
        self.assertEqual(result.boxes, [])
        self.assertEqual(result.windows, [])
        self.assertEqual(self.server.requests, [])

    def test_second_instance_with_the_same_name(self):
        # A Chinese name, as the launcher's settings file holds it (code page 936).
        name = "更新" + self.instance
        first_folder = self.make_folder("first", ini_name=name)
        second_folder = self.make_folder("second", ini_name=name)
        hold = threading.Event()
        self.server.route("/login", Reply.update({"code": "0", "info": "first"}, hold=hold))
        try:
            proc, log = self.start_loader(first_folder, [self.server.url("/login")])
            self.assertTrue(self.server.wait_for_request("/login"), "the first updater never asked")
            second = self.run_loader(second_folder, [self.server.url("/login")])
            self.assertEqual(second.exit_code, 0, second)
            self.assertEqual(second.boxes, [])
            self.assertEqual(len(self.server.requests), 1)
        finally:
            hold.set()
        first = msgbox.finish_program(proc, log)
        self.assert_boxes(first, ["first"])
        self.assertEqual(first.exit_code, 0)

    def test_instance_names(self):
        # No settings file: the mutex is the bare "downloader". A different name runs beside it.
        hold = threading.Event()
        self.server.route("/held", Reply.update({"code": "0", "info": "held"}, hold=hold))
        self.server.route("/other", Reply.update({"code": "0", "info": "other"}))
        bare = self.make_folder("bare")
        bare_again = self.make_folder("bare_again")
        named = self.make_folder("named", ini_name=self.instance)
        try:
            proc, log = self.start_loader(bare, [self.server.url("/held")])
            self.assertTrue(self.server.wait_for_request("/held"))
            again = self.run_loader(bare_again, [self.server.url("/other")])
            self.assertEqual((again.exit_code, again.boxes), (0, []))
            other = self.run_loader(named, [self.server.url("/other")])
            self.assert_boxes(other, ["other"])
            self.assertEqual(len(self.server.requests_for("/other")), 1)
        finally:
            hold.set()
        self.assert_boxes(msgbox.finish_program(proc, log), ["held"])

    def test_request_and_working_road(self):
        # The launcher's login URLs run to some 2,000 bytes; the path is sent exactly.
        path = ("/myqavo/login&uid=5&platform=p&gkey=g&server_id=1&time=1700000000&vip_level=0"
                "&is_adult=1&type=t&callback_info=%7B%22a%22%3A1%7D&sign=" + "a1b2c3" * 250)
        self.assertGreater(len(path), 1500)
        png = self.serve_background()
        self.server.route(path, Reply.update(self.record()))
        folder = self.app()
        old = os.path.join(folder, "old.exe")
        with open(old, "wb") as f:
            f.write(b"left over")
        result = self.run_loader(folder, [self.server.url(path)])
        self.assertEqual(result.exit_code, 0, result)
        self.assertEqual(result.boxes, [])
        self.assertEqual(result.windows, [("DesktopMainWnd", "update")])
        [request] = self.server.requests_for(path)
        self.assertEqual(request["method"], "GET")
        self.assertEqual([h for h in request["headers"] if h[0].lower() != "host"], JSON_HEADERS)
        with open(os.path.join(folder, "Skin", "bk", "bg_1.png"), "rb") as f:
            self.assertEqual(f.read(), png)
        self.assertFalse(os.path.exists(old), "old.exe was not removed")
        self.assertEqual(sorted(os.listdir(os.path.join(folder, "Skin", "bk"))), ["bg_1.png"])

    def test_error_status(self):
        cases = [
            ("404", Reply(status=404, body=b"page missing"), ["返回错误:404", "page missing"]),
            # The raw body is shown in the system code page.
            ("500", Reply(status=500, body="服务器错误".encode("gbk")), ["返回错误:500", "服务器错误"]),
        ]
        for name, reply, boxes in cases:
            with self.subTest(name):
                self.server.route("/" + name, reply)
                result = self.run_loader(self.app(name=name), [self.server.url("/" + name)])
                self.assert_boxes(result, boxes)
                self.assertEqual(result.exit_code, 0)
        # A redirect is followed to the real reply.
        self.serve_background()
        self.server.route("/moved", Reply(status=302, headers=[("Location", self.server.url("/here"))]))
        self.server.route("/here", Reply.update(self.record()))
        result = self.run_loader(self.app(name="redirect"), [self.server.url("/moved")])
        self.assertEqual((result.exit_code, result.boxes), (0, []))
        self.assertEqual(len(self.server.requests_for("/bg.png")), 1)

    def test_refused_connection(self):
        result = self.run_loader(self.app(), [self.refused_url("/login")])
        self.assert_boxes(result, ["发送错误"])
        self.assertEqual(result.exit_code, 0)

    def test_reply_codes(self):
        cases = [
            ("refused", Reply.update({"code": "0", "info": "账号已被封停"}), ["账号已被封停"]),
            ("numeric", Reply.update({"code": 2, "info": "维护中"}), ["维护中"]),
            ("empty", Reply(body=b""), [""]),
            ("garbage", Reply(body=b"this is no reply"), [""]),
            ("array", Reply.update([{"code": "1"}]), [""]),
            ("data_array", Reply.update({"code": "0", "info": "i", "data": [1]}), ["i"]),
        ]
        for name, reply, boxes in cases:
            with self.subTest(name):
                self.server.route("/" + name, reply)
                result = self.run_loader(self.app(name=name), [self.server.url("/" + name)])
                self.assert_boxes(result, boxes)
                self.assertEqual(result.exit_code, 0)
        self.assertEqual(self.server.requests_for("/bg.png"), [])
        # "code" as the number 1 is success; an empty updater version removes a leftover too.
        self.serve_background()
        self.server.route("/one", Reply.update(dict(self.record(up_version=""), code=1)))
        folder = self.app(name="one")
        with open(os.path.join(folder, "old.exe"), "wb") as f:
            f.write(b"left over")
        result = self.run_loader(folder, [self.server.url("/one")])
        self.assertEqual((result.exit_code, result.boxes), (0, []))
        self.assertFalse(os.path.exists(os.path.join(folder, "old.exe")))

    def test_tls_verification(self):
        # Wine's TLS layer accepts any certificate by itself: these rows show that the updater's
        # own check refuses what it must and still lets a trusted server through. The
        # background image (WinINet) is checked on the same servers.
        png = self.serve_background()
        self_signed = None  # the server makes one of its own

        def signed_for(name, san):
            folder = os.path.join(self.dir, "certs-" + name)
            os.makedirs(folder)
            return make_ca_signed(folder, san)

        # Wine matches host names against DNS entries only, so the address is one too.
        wrong_name = signed_for("wrong", "DNS:localhost")
        trusted = signed_for("right", "DNS:127.0.0.1")
        cases = [("self_signed", self_signed, False), ("wrong_name", wrong_name, False), ("trusted", trusted, True)]
        roots = [wrong_name[0], trusted[0]]
        for root in roots:
            self.assertEqual(probe("trust", root), "result 0")
        try:
            for name, cert, accepted in cases:
                with self.subTest(name), ReleaseServer(https=True, cert=cert and cert[1:]) as tls:
                    tls.route("/login", Reply.update(self.record()))
                    tls.route("/bg.png", Reply(body=png))
                    result = self.run_loader(self.app(name=name), [tls.https_url("/login")])
                    self.assertEqual(result.exit_code, 0)
                    if accepted:
                        self.assertEqual(result.boxes, [])
                        self.assertEqual(len(tls.requests), 1)
                    else:
                        self.assert_boxes(result, ["发送错误"])
                        self.assertEqual(tls.requests, [], "a request went to a server that was not verified")
                    target = os.path.join(self.dir, name + ".png")
                    self.assertEqual(probe("file", tls.https_url("/bg.png"), target),
                                     "result 0" if accepted else "result -1")
                    self.assertEqual(os.path.exists(target), accepted)
        finally:
            for root in roots:
                probe("untrust", root)

    def test_stalled_reply(self):
        # The server accepts the request and then says nothing for longer than a minute.
        self.server.route("/login", Reply.update(self.record(), delay=80))
        result = self.run_loader(self.app(), [self.server.url("/login")], timeout=170)
        self.assertFalse(result.timed_out, result)
        self.assert_boxes(result, ["发送错误"])
        self.assertEqual(result.exit_code, 0)

    def test_self_replacement(self):
        with open(LOADER, "rb") as f:
            marked = f.read() + b"-- a newer updater --"
        self.server.route("/new.exe", Reply(body=marked))
        self.serve_background()
        self.server.route("/login", [Reply.update(self.record(up_version="2", up_url=self.server.url("/new.exe"))),
                                     Reply.update(self.record(up_version="1"))])
        folder = self.app()
        exe = os.path.join(folder, "ZelLoader.exe")
        old = os.path.join(folder, "old.exe")
        seen = {}

        def on_request(srv):
            if len(srv.requests_for("/login")) == 2 and "old" not in seen:
                seen["old"] = os.path.exists(old)
                seen["exe"] = sha(exe)

        self.server.on_request = on_request
        result = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual(result.exit_code, 0, result)
        self.assertEqual(result.boxes, [])
        self.assertEqual(len(result.children), 2, "the new copy and its game did not start")
        self.assertEqual(result.exits[result.children[0]], 0)
        logins = self.server.requests_for("/login")
        self.assertEqual(len(logins), 2)
        self.assertEqual(logins[0]["path"], logins[1]["path"])
        self.assertEqual(seen, {"old": True, "exe": sha_bytes(marked)})
        self.assertFalse(os.path.exists(old), "the new copy did not remove old.exe")
        self.assertEqual(sha(exe), sha_bytes(marked))
        self.assertEqual(len(self.server.requests_for("/bg.png")), 1)

    def test_self_replacement_failures(self):
        with open(LOADER, "rb") as f:
            good = f.read()
        other_machine = 0x14C if struct.unpack_from("<H", good, struct.unpack_from("<I", good, 0x3C)[0] + 4)[0] != 0x14C \
            else 0x8664
        cases = [
            ("missing", Reply(status=404, body=b"MZ but an error page")),
            ("cut", Reply(body=good, cut_after=4096)),
            ("not_a_program", Reply(body=b"<html>maintenance</html>")),
            ("refused", None),
            # Files that would start as something else or not at all: a DOS header with
            # nothing behind it, a console program, a program for another machine.
            ("dos_stub", Reply(body=b"MZ" + b"\0" * 4000)),
            ("console", Reply(body=patched_program(good, subsystem=3))),
            ("other_machine", Reply(body=patched_program(good, machine=other_machine))),
            # A server that keeps redirecting: followed ten times, then a failed download.
            ("redirect_loop", Reply(status=302, headers=[("Location", self.server.url("/redirect_loop.exe"))])),
            # Addresses that are no http(s) URL with a host never reach WinINet.
            ("colon", ":"),
            ("colons", "::::"),
            ("ftp", "ftp:new.exe"),
            ("no_host", "http:///new.exe"),
        ]
        self.serve_background()
        for name, reply in cases:
            with self.subTest(name):
                if reply is None:
                    up_url = self.refused_url("/new.exe")
                elif isinstance(reply, str):
                    up_url = reply
                else:
                    self.server.route("/%s.exe" % name, reply)
                    up_url = self.server.url("/%s.exe" % name)
                self.server.route("/" + name, Reply.update(self.record(up_version="3", up_url=up_url)))
                folder = self.app(name=name)
                before = sha(os.path.join(folder, "ZelLoader.exe"))
                result = self.run_loader(folder, [self.server.url("/" + name)])
                self.assert_boxes(result, [NETWORK_ERROR])
                self.assertEqual(result.exit_code, -1)
                self.assertEqual(result.children, [])
                self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), before)
                self.assertEqual(sorted(os.listdir(folder)), ["Skin", "ZelLoader.exe", "ZelLogin.ini", "game"])
        self.assertEqual(len(self.server.requests_for("/redirect_loop.exe")), 11)
        # The updater that stayed in place still works.
        self.server.route("/again", Reply.update(self.record()))
        result = self.run_loader(os.path.join(self.dir, "missing"), [self.server.url("/again")])
        self.assertEqual((result.exit_code, result.boxes), (0, []))

    def test_new_updater_that_does_not_start(self):
        # A program for this machine with the window subsystem that the loader ends at once
        # (a library it needs is missing): the original goes back and the road carries on.
        with open(DYING, "rb") as f:
            dying = f.read()
        self.server.route("/dying.exe", Reply(body=dying))
        png = self.serve_background()
        self.server.route("/login", [Reply.update(self.record(up_version="2", up_url=self.server.url("/dying.exe"))),
                                     Reply.update(self.record())])
        folder = self.app()
        before = sha(os.path.join(folder, "ZelLoader.exe"))
        result = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        # The new copy dies while loading; the game of the road that carried on ends with 0.
        self.assertEqual(sorted(code & 0xFFFFFFFF for pid, code in result.exits.items() if pid != result.pid), [0, 0xC0000135],
                         result)
        self.assertEqual(len(self.server.requests_for("/login")), 1)
        self.assertEqual(len(self.server.requests_for("/dying.exe")), 1)
        self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), before)
        self.assertEqual(sorted(os.listdir(folder)), ["Skin", "ZelLoader.exe", "ZelLogin.ini", "game"])
        with open(os.path.join(folder, "Skin", "bk", "bg_1.png"), "rb") as f:
            self.assertEqual(f.read(), png)
        # A later start works.
        again = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual((again.exit_code, again.boxes, len(again.children)), (0, [], 1), again)
        self.assertEqual(len(self.server.requests_for("/bg.png")), 2)

    def test_server_that_never_changes_its_answer(self):
        # Every reply publishes updater version "2": the first start takes the new updater,
        # the new one finds itself published and carries on. One replacement at most.
        with open(LOADER, "rb") as f:
            newer = f.read() + b"-- a newer updater --"
        self.server.route("/new.exe", Reply(body=newer))
        self.serve_background()
        self.server.route("/login", Reply.update(self.record(up_version="2", up_url=self.server.url("/new.exe"))))
        folder = self.app()
        result = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)
        self.assertEqual(len(result.children), 2, result)  # the new copy and its game
        self.assertEqual(result.exits[result.children[0]], 0)
        self.assertEqual(len(self.server.requests_for("/login")), 2)
        self.assertEqual(len(self.server.requests_for("/new.exe")), 2)
        self.assertEqual(len(self.server.requests_for("/bg.png")), 1)
        self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), sha_bytes(newer))
        self.assertEqual(sorted(os.listdir(folder)), ["Skin", "ZelLoader.exe", "ZelLogin.ini", "game"])
        # Started again, it stays as it is.
        again = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual((again.exit_code, again.boxes, len(again.children)), (0, [], 1), again)
        self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), sha_bytes(newer))

    def test_redirect_loop(self):
        # A server that redirects to itself: followed ten times, then a failed transfer.
        self.server.route("/loop", Reply(status=302, headers=[("Location", self.server.url("/loop"))]))
        result = self.run_loader(self.app(), [self.server.url("/loop")])
        self.assert_boxes(result, ["发送错误"])
        self.assertEqual(result.exit_code, 0)
        self.assertEqual(len(self.server.requests_for("/loop")), 11)
        # Ten redirects are still followed.
        self.serve_background()
        for i in range(10):
            self.server.route("/hop%d" % i, Reply(status=302, headers=[("Location", self.server.url("/hop%d" % (i + 1)))]))
        self.server.route("/hop10", Reply.update(self.record()))
        result = self.run_loader(self.app(name="ten"), [self.server.url("/hop0")])
        self.assertEqual((result.exit_code, result.boxes), (0, []), result)

    def test_redirects_keep_their_security(self):
        # A hop from https to plain http fails each of the three downloads as that download
        # fails (the background image with its box and the error number, the new updater and
        # the package silently), before anything is asked in clear text; hops that stay on
        # https or leave plain http for it are followed. Both listeners serve the same routes.
        certs = os.path.join(self.dir, "certs")
        os.makedirs(certs)
        root, cert, key = make_ca_signed(certs, "DNS:127.0.0.1")
        self.assertEqual(probe("trust", root), "result 0")
        self.addCleanup(probe, "untrust", root)
        tls = ReleaseServer(https=True, cert=(cert, key)).start()
        self.addCleanup(tls.stop)
        body = b"the file at the end" * 100
        png = self.serve_background()
        tls.route("/new.bin", Reply(body=body))
        tls.route("/bg.png", Reply(body=png))
        tls.route("/pkg/game_v2.7z", Reply(body=body))
        with open(LOADER, "rb") as f:
            tls.route("/new.exe", Reply(body=f.read() + b"-- a newer updater --"))
        moved = {"/s2p": tls.url("/new.bin"), "/p2s": tls.https_url("/new.bin"), "/s2s": "/new.bin",
                 "/p2s2p": tls.https_url("/s2p"), "/bg-moved.png": tls.url("/bg.png"),
                 "/pkg/moved/game_v2.7z": tls.url("/pkg/game_v2.7z"), "/new-moved.exe": tls.url("/new.exe")}
        for path, location in moved.items():
            tls.route(path, Reply(status=302, headers=[("Location", location)]))

        def asked(since):
            return [("https" if r["tls"] else "http", r["path"]) for r in tls.requests[since:]]

        files = [
            ("secure_to_plain", tls.https_url("/s2p"), "result -1", [("https", "/s2p")]),
            ("plain_to_secure", tls.url("/p2s"), "result 0", [("http", "/p2s"), ("https", "/new.bin")]),
            ("secure_to_secure", tls.https_url("/s2s"), "result 0", [("https", "/s2s"), ("https", "/new.bin")]),
            ("back_to_plain", tls.url("/p2s2p"), "result -1", [("http", "/p2s2p"), ("https", "/s2p")]),
        ]
        for name, url, want, requests in files:
            with self.subTest(name):
                since = len(tls.requests)
                target = os.path.join(self.dir, name + ".bin")
                self.assertEqual(probe("file", url, target), want)
                self.assertEqual(asked(since), requests)
                self.assertEqual(os.path.exists(target), want == "result 0")
                if want == "result 0":
                    with open(target, "rb") as f:
                        self.assertEqual(f.read(), body)
        with self.subTest("package"):
            since = len(tls.requests)
            package = os.path.join(self.dir, "package")
            os.makedirs(package)
            lines = probe_lines("package", tls.https_url("/pkg/moved/game_v2.7z"), msgbox.windows_path(package) + "\\")
            self.assertEqual(lines, ["result -1"])
            self.assertEqual(asked(since), [("https", "/pkg/moved/game_v2.7z")])
            self.assertEqual(os.listdir(package), [])
        with self.subTest("background"):
            since = len(tls.requests)
            self.server.route("/bg-login", Reply.update(self.record(up_bg=tls.https_url("/bg-moved.png"))))
            folder = self.app(name="background")
            image = os.path.join(folder, "Skin", "bk", "bg_1.png")
            with open(image, "wb") as f:
                f.write(b"the image from before")
            result = self.run_loader(folder, [self.server.url("/bg-login")])
            self.assert_boxes(result, ["url返回错误,错误码：12040", NETWORK_ERROR])
            self.assertEqual(result.exit_code, -1)
            self.assertEqual(asked(since), [("https", "/bg-moved.png")])
            with open(image, "rb") as f:
                self.assertEqual(f.read(), b"the image from before")
        with self.subTest("updater"):
            since = len(tls.requests)
            self.server.route("/up-login", Reply.update(self.record(up_version="2", up_url=tls.https_url("/new-moved.exe"))))
            folder = self.app(name="updater")
            before = sha(os.path.join(folder, "ZelLoader.exe"))
            result = self.run_loader(folder, [self.server.url("/up-login")])
            self.assert_boxes(result, [NETWORK_ERROR])
            self.assertEqual(result.exit_code, -1)
            self.assertEqual(result.children, [])
            self.assertEqual(asked(since), [("https", "/new-moved.exe")])
            self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), before)
            self.assertEqual(sorted(os.listdir(folder)), ["Skin", "ZelLoader.exe", "ZelLogin.ini", "game"])

    def test_oversized_reply(self):
        # Real replies are a few KB. A body past 1 MiB ends the request as a failed transfer,
        # whether its length is announced or not.
        huge = b"A" * (2 * 1024 * 1024)
        cases = [("announced", Reply(body=huge)), ("unannounced", Reply(body=huge, no_length=True)),
                 ("error_page", Reply(status=500, body=huge, no_length=True))]
        for name, reply in cases:
            with self.subTest(name):
                self.server.route("/" + name, reply)
                result = self.run_loader(self.app(name=name), [self.server.url("/" + name)])
                self.assert_boxes(result, ["发送错误"])
                self.assertEqual(result.exit_code, 0)
        # Just under the limit is still read (and, being no reply, shown as an empty one).
        self.server.route("/large", Reply(body=b"A" * (1024 * 1024 - 16)))
        result = self.run_loader(self.app(name="large"), [self.server.url("/large")])
        self.assert_boxes(result, [""])
        self.assertEqual(result.exit_code, 0)

    def assert_box_texts(self, result, boxes):
        """The boxes shown, in order; a text ending in "*" ends in an error number there."""
        self.assertEqual(len(result.boxes), len(boxes), result)
        for (caption, text), want in zip(result.boxes, boxes):
            self.assertEqual(caption, "提示")
            if want.endswith("*"):
                self.assertRegex(text, "^" + want[:-1] + r"\d+$")
            else:
                self.assertEqual(text, want)

    def test_background_image_failures(self):
        png = self.serve_background()
        self.server.route("/cut.png", Reply(body=png * 50, cut_after=100))
        refused = self.refused_url("/bg.png")
        cases = [
            ("no_folder", self.server.url("/bg.png"), False, ["创建文件失败,错误码：3", NETWORK_ERROR]),
            ("empty", "", True, ["url返回错误,错误码：*", NETWORK_ERROR]),
            ("refused", refused, True, ["url返回错误,错误码：*", NETWORK_ERROR]),
            ("cut", self.server.url("/cut.png"), True, [NETWORK_ERROR]),
            ("redirect_loop", self.server.url("/loop.png"), True, ["url返回错误,错误码：*", NETWORK_ERROR]),
            # A redirect with no place to go fails; its own folder is not asked for instead.
            ("empty_location", self.server.url("/img/empty.png"), True, ["url返回错误,错误码：12156", NETWORK_ERROR]),
            ("no_location", self.server.url("/img/none.png"), True, ["url返回错误,错误码：12156", NETWORK_ERROR]),
            ("colons", "::::", True, ["url返回错误,错误码：*", NETWORK_ERROR]),
            ("ftp", "ftp:bg.png", True, ["url返回错误,错误码：*", NETWORK_ERROR]),
            ("no_host", "https://:443/bg.png", True, ["url返回错误,错误码：*", NETWORK_ERROR]),
        ]
        self.server.route("/loop.png", Reply(status=302, headers=[("Location", "/loop.png")]))
        self.server.route("/img/empty.png", Reply(status=302, headers=[("Location", "")]))
        self.server.route("/img/none.png", Reply(status=302))
        self.server.route("/img/", Reply(body=png))
        for name, url, skin, boxes in cases:
            with self.subTest(name):
                self.server.route("/" + name, Reply.update(self.record(up_bg=url)))
                folder = self.app(name=name, skin=skin)
                image = os.path.join(folder, "Skin", "bk", "bg_1.png")
                if skin:
                    with open(image, "wb") as f:
                        f.write(b"the image from before")
                result = self.run_loader(folder, [self.server.url("/" + name)])
                self.assert_box_texts(result, boxes)
                self.assertEqual(result.exit_code, -1)
                self.assertEqual(result.windows, [])
                if skin:
                    with open(image, "rb") as f:
                        self.assertEqual(f.read(), b"the image from before")
                    self.assertEqual(os.listdir(os.path.dirname(image)), ["bg_1.png"])
        self.assertEqual(len(self.server.requests_for("/loop.png")), 11)
        self.assertEqual(self.server.requests_for("/img/"), [])

    def test_stalled_downloads(self):
        # Servers that hold the connection and send nothing, before the headers or inside the
        # body: after a minute without a byte the download fails as its kind fails, with its
        # boxes, well before the server would let go. The three run side by side.
        with open(LOADER, "rb") as f:
            good = f.read()
        png = self.serve_background()
        self.server.route("/silent.png", Reply(body=png, delay=150))
        self.server.route("/stops.png", Reply(body=png * 50, cut_after=100, stall=150))
        self.server.route("/stops.exe", Reply(body=good + b"-- newer --", cut_after=4096, stall=150))
        cases = [
            ("image_without_headers", "/silent.png", dict(up_bg=self.server.url("/silent.png")),
             ["url返回错误,错误码：*", NETWORK_ERROR]),
            ("image_stops", "/stops.png", dict(up_bg=self.server.url("/stops.png")), [NETWORK_ERROR]),
            ("updater_stops", "/stops.exe", dict(up_version="2", up_url=self.server.url("/stops.exe")),
             [NETWORK_ERROR]),
        ]
        runs = []
        for name, silent, record, boxes in cases:
            self.server.route("/" + name, Reply.update(self.record(**record)))
            # Side by side, so each under its own instance name.
            folder = self.app(name=name, ini_name=self.instance + name)
            before = sha(os.path.join(folder, "ZelLoader.exe"))
            runs.append((name, folder, before, boxes, silent,
                         self.start_loader(folder, [self.server.url("/" + name)], timeout=200)))
        for name, folder, before, boxes, silent, started in runs:
            with self.subTest(name):
                result = msgbox.finish_program(*started, timeout=200)
                self.assertFalse(result.timed_out, result)
                # The updater gave up while the server still held the connection silent, after
                # a minute of it, not less: the limit is a time (a slow machine can only make
                # the silence seen longer).
                silence = self.server.ended_silence(silent)
                self.assertTrue(silence, "the server is still silent to an updater that has ended")
                self.assertEqual(silence["ended_by"], "client", silence)
                self.assertGreater(silence["until"] - silence["from"], 58)
                self.assert_box_texts(result, boxes)
                self.assertEqual(result.exit_code, -1)
                self.assertEqual(result.windows, [])
                self.assertEqual(sha(os.path.join(folder, "ZelLoader.exe")), before)
                self.assertEqual(sorted(os.listdir(folder)), ["Skin", "ZelLoader.exe", "ZelLogin.ini", "game"])

    def test_background_error_status_keeps_the_image(self):
        self.server.route("/bg.png", Reply(status=404, body=b"<html>not found</html>"))
        self.server.route("/login", Reply.update(self.record()))
        folder = self.app()
        image = os.path.join(folder, "Skin", "bk", "bg_1.png")
        with open(image, "wb") as f:
            f.write(b"the image from before")
        result = self.run_loader(folder, [self.server.url("/login")])
        self.assertEqual((result.exit_code, result.boxes), (0, []))
        self.assertEqual(len(self.server.requests_for("/bg.png")), 1)
        with open(image, "rb") as f:
            self.assertEqual(f.read(), b"the image from before")


if __name__ == "__main__":
    unittest.main()
