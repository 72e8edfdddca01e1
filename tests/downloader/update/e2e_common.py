"""Shared set-up of the updater's end-to-end tests: paths from ctest, one fresh folder per
test, and the programs run under Wine through the box driver."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.environ.get("ZEL_TOOLS") or os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools")
sys.path.insert(0, os.path.join(TOOLS, "release_server"))
sys.path.insert(0, os.path.join(TOOLS, "msgbox"))

from release_server import ReleaseServer, Reply, encode_reply  # noqa: E402,F401
import msgbox  # noqa: E402

LOADER = os.environ.get("ZEL_LOADER_EXE", "")
DRIVER = os.environ.get("ZEL_MSGBOX_DRIVER", "")
PROBE = os.environ.get("ZEL_DOWNLOAD_PROBE", "")
READY = os.environ.get("ZEL_READY_DIR", "")
GAME = os.environ.get("ZEL_GAME_STANDIN", "")
DYING = os.environ.get("ZEL_DYING_UPDATER", "")
WINE = os.environ.get("WINELOADER") or os.environ.get("ZEL_WINE") or "wine"
TMP_ROOT = os.environ.get("ZEL_TEST_TMP") or tempfile.gettempdir()

PROMPT = "提示"
NETWORK_ERROR = "网络连接错误,请重新启动"


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def sha_bytes(data):
    return hashlib.sha256(data).hexdigest()


def tiny_png():
    """A 1x1 PNG made here."""
    import struct
    import zlib

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"\0\xff\x00\x00\xff"
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def patched_program(data, machine=None, subsystem=None):
    """The program image data with its PE machine or subsystem field replaced."""
    import struct
    out = bytearray(data)
    pe = struct.unpack_from("<I", out, 0x3C)[0]
    assert out[pe:pe + 4] == b"PE\0\0"
    if machine is not None:
        struct.pack_into("<H", out, pe + 4, machine)
    if subsystem is not None:
        struct.pack_into("<H", out, pe + 24 + 68, subsystem)
    return bytes(out)


def probe(*args):
    """Runs download_probe with the given arguments (Unix paths become Z: paths) and returns
    its output lines after the last progress line: for one-shot modes, just "result N"."""
    out = probe_lines(*args)
    return out[-1] if out else ""


def probe_lines(*args):
    converted = [msgbox.windows_path(a) if a.startswith("/") else a for a in args]
    if len(converted) == 2:
        converted.append("-")
    done = subprocess.run([WINE, PROBE] + converted, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    return done.stdout.decode("utf-8", "replace").replace("\r\n", "\n").splitlines()


class WineCase(unittest.TestCase):
    """Each test gets its own folder under TMP_ROOT and its own server."""

    def setUp(self):
        for needed in (LOADER, DRIVER):
            if not needed or not os.path.exists(needed):
                self.fail("built program missing: %r (run through ctest)" % needed)
        os.makedirs(TMP_ROOT, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix=self.id().split(".")[-1] + "-", dir=TMP_ROOT)
        self.server = ReleaseServer(https=getattr(self, "https", False))
        self.server.start()
        # Every test has its own instance name: the tests share one wineserver.
        self.instance = "t%d%s" % (os.getpid(), self.id().split(".")[-1][:20])

    def tearDown(self):
        self.server.stop()
        if not getattr(self, "_outcome", None) or self._ok():
            shutil.rmtree(self.dir, ignore_errors=True)

    def _ok(self):
        result = self._outcome.result
        errors = list(getattr(result, "errors", [])) + list(getattr(result, "failures", []))
        return not any(test is self for test, _ in errors)

    def refused_url(self, path):
        """An address on this machine that refuses connections for the whole test: its port is
        bound and held but never listened on, so no other program can take it meanwhile."""
        if not hasattr(self, "_refused"):
            import socket
            self._refused = socket.socket()
            self._refused.bind(("127.0.0.1", 0))
            self.addCleanup(self._refused.close)
        return "http://127.0.0.1:%d%s" % (self._refused.getsockname()[1], path)

    # -- folders --------------------------------------------------------------------------
    def make_folder(self, name="app", ini_name=None, skin=True):
        """A game folder with a copy of ZelLoader.exe; ini_name None writes no INI."""
        folder = os.path.join(self.dir, name)
        os.makedirs(folder)
        shutil.copy(LOADER, os.path.join(folder, "ZelLoader.exe"))
        if ini_name is not None:
            with open(os.path.join(folder, "ZelLogin.ini"), "wb") as f:
                f.write(("[URL]\r\nname=%s\r\n" % ini_name).encode("gbk"))
        if skin:
            os.makedirs(os.path.join(folder, "Skin", "bk"))
            # Past the background image the updater shows its window and runs the road: the
            # folder has the window's skin and the published game (a stand-in that ends at once).
            for name in os.listdir(os.path.join(READY, "Skin")):
                if name.endswith((".xml", ".png")):
                    shutil.copy(os.path.join(READY, "Skin", name), os.path.join(folder, "Skin"))
            game = os.path.join(folder, "game")
            os.makedirs(game)
            shutil.copy(GAME, os.path.join(game, "game.exe"))
            with open(os.path.join(game, "autoquit"), "w") as f:
                f.write("0")
            with open(os.path.join(game, "ZelUpGame.ini"), "wb") as f:
                f.write(b"[VERSION]\r\ngame_version=1\r\n")
        return folder

    def app(self, **kw):
        kw.setdefault("ini_name", self.instance)
        return self.make_folder(**kw)

    # -- running --------------------------------------------------------------------------
    def run_loader(self, folder, args, timeout=90):
        return msgbox.run_program(DRIVER, os.path.join(folder, "ZelLoader.exe"), args, cwd=folder,
                                  timeout=timeout, loader=WINE)

    def start_loader(self, folder, args, timeout=90):
        return msgbox.start_program(DRIVER, os.path.join(folder, "ZelLoader.exe"), args, cwd=folder,
                                    timeout=timeout, loader=WINE)

    # -- replies --------------------------------------------------------------------------
    def record(self, **data):
        """A successful reply whose background image is served by this test's server."""
        base = {"open": "game\\game.exe", "uid": "5", "sid": "9", "extraInfo": "x", "token": "tk",
                "up_version": "1", "up_bg": self.server.url("/bg.png"), "game_url": "",
                "game_version": "1", "up_url": ""}
        base.update(data)
        return {"code": "1", "info": "", "data": base}

    def serve_background(self):
        png = tiny_png()
        self.server.route("/bg.png", Reply(body=png, headers=[("Content-Type", "image/png")]))
        return png

    def assert_boxes(self, result, texts):
        self.assertEqual(result.boxes, [(PROMPT, t) for t in texts], result)
