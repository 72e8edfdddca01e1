"""The updater's road on this machine, shared by the road tests and `make demo`: a game folder
made from the ready folder, a generated game package, the release server with the login reply,
the background image and the package, the statistics endpoint (HTTPS on the port the build's
statistics host names, with a certificate the Wine prefix trusts), and the window driver."""
import hashlib
import json
import os
import random
import shutil
import ssl
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.environ.get("ZEL_TOOLS") or os.path.join(HERE, "..", "..", "..", "tools")
sys.path.insert(0, TOOLS)
sys.path.insert(0, os.path.join(TOOLS, "release_server"))
sys.path.insert(0, os.path.join(TOOLS, "msgbox"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "Downloader", "Skin"))

import make_skin_images  # noqa: E402
import msgbox  # noqa: E402
import ports  # noqa: E402
import release_server  # noqa: E402
from release_server import ReleaseServer, Reply, make_ca_signed  # noqa: E402,F401

WINE = os.environ.get("WINELOADER") or os.environ.get("ZEL_WINE") or "wine"
SEVENZ = shutil.which("7zz") or "7zz"


def build_port(name):
    """A port the build's hosts name: handed over by ctest, or exported by the scripts from the
    build folder's test-ports.env. A guess would listen where the programs never connect."""
    value = os.environ.get(name)
    if not value:
        raise RuntimeError("%s is not set: run through ctest, tools/demo.sh or tools/bench.sh" % name)
    return int(value)


# The port of the statistics host the build was made with.
STATS_PORT = build_port("ZEL_STATS_PORT")

WINDOW_CLASS = "DesktopMainWnd"
T_FIXED = 1_600_000_000


# -- images -----------------------------------------------------------------------------------
def png(width, height, pixel):
    return make_skin_images.png_bytes(width, height, pixel)


def background_png(width=520, height=320):
    """The release's window background: a dusk sky over hills, drawn here."""
    def pixel(x, y):
        t = y / height
        r, g, b = 28 + 90 * t, 40 + 40 * t, 92 - 30 * t
        hill = height * 0.62 + 26 * ((x / 70.0) % 2 - 1) ** 2 * 1.0 - 18 * (x / width)
        if y > hill:
            r, g, b = 22, 48 + 20 * (1 - t), 52
        if (x - 400) ** 2 + (y - 90) ** 2 < 30 ** 2:
            r, g, b = 250, 214, 140
        return int(r), int(g), int(b), 255
    return png(width, height, pixel)


def bmp_to_png(bmp_path, png_path):
    """A 32-bit top-down BMP (as road_driver writes it) as a PNG."""
    with open(bmp_path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    height = abs(height)
    rows = []
    for y in range(height):
        line = data[offset + y * width * 4: offset + (y + 1) * width * 4]
        rows.append(bytes(c for x in range(width) for c in (line[4 * x + 2], line[4 * x + 1], line[4 * x], 255)))
    with open(png_path, "wb") as f:
        f.write(make_skin_images.png_from_rows(width, height, rows))


# -- the package --------------------------------------------------------------------------------
def write_file(path, data, mtime=T_FIXED, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)
    os.utime(path, (mtime, mtime))


def make_package(work, target, game_exe, version="2.0", data_mb=3, extra=None, seed=7):
    """A 7z package as the release server publishes it: game\\Game.exe (the stand-in),
    game\\ZelUpGame.ini, nested data, game\\readonly.dat and an empty folder, and the extra
    files (relative paths, also outside game\\). Returns the tree it was made from."""
    root = os.path.join(work, "package-tree")
    shutil.rmtree(root, ignore_errors=True)
    with open(game_exe, "rb") as f:
        write_file(os.path.join(root, "game", "Game.exe"), f.read())
    write_file(os.path.join(root, "game", "ZelUpGame.ini"), b"[VERSION]\r\ngame_version=" + version.encode() + b"\r\n")
    noise = random.Random(seed)
    # Half compressible, half not: the extraction takes a moment and shows its progress.
    size = data_mb * 1024 * 1024
    write_file(os.path.join(root, "game", "data", "a", "b.bin"),
               noise.randbytes(size // 2) + bytes(i % 251 for i in range(size // 2)))
    for i in range(40):
        write_file(os.path.join(root, "game", "data", "maps", "map%02d.txt" % i), (b"map %d\r\n" % i) * (50 + i))
    write_file(os.path.join(root, "game", "readonly.dat"), b"new read-only data v" + version.encode() + b"\r\n")
    os.makedirs(os.path.join(root, "game", "empty"))
    for name, data in (extra or {}).items():
        write_file(os.path.join(root, name), data)
    if os.path.exists(target):
        os.unlink(target)
    # Everything in the tree: the game folder, and files beside it (the programs in the
    # updater's folder) when extra names them.
    subprocess.run([SEVENZ, "a", "-t7z", "-mx=3", target] + sorted(os.listdir(root)), cwd=root, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    return root


def make_differential_package(work, target, game_exe, deleted, **kw):
    """make_package's package, plus anti-items for the files named in deleted (relative
    paths) and for folders that only they filled, as 7-Zip's update writes them for what the
    new release no longer has."""
    root = make_package(work, target, game_exe, **kw)
    os.unlink(target)
    base = target + ".base.7z"
    for name in deleted:
        write_file(os.path.join(root, name), b"in the old release only\r\n")
    subprocess.run([SEVENZ, "a", "-t7z", base] + sorted(os.listdir(root)), cwd=root, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    for name in deleted:
        os.unlink(os.path.join(root, name))
        # Folders the new release no longer has go too (and get their own anti-items).
        try:
            os.removedirs(os.path.dirname(os.path.join(root, name)))
        except OSError:
            pass
    # In the old archive only (q): an anti-item; everything else is packed anew.
    subprocess.run([SEVENZ, "u", base, "-u-", "-up0q3r2x2y2z2w2!" + target, "-mx=3"] + sorted(os.listdir(root)),
                   cwd=root, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    os.unlink(base)
    return root


def tree_listing(root):
    """{relative path: sha256 or "<dir>"} of a folder."""
    out = {}
    for base, dirs, files in os.walk(root):
        for d in dirs:
            out[os.path.relpath(os.path.join(base, d), root)] = "<dir>"
        for name in files:
            with open(os.path.join(base, name), "rb") as f:
                out[os.path.relpath(os.path.join(base, name), root)] = hashlib.sha256(f.read()).hexdigest()
    return out


# -- the statistics endpoint --------------------------------------------------------------------
class _FixedPortServer(release_server._Server):
    # A fixed port is taken again right after the previous test let go of it.
    allow_reuse_address = True


def add_stats_endpoint(server, cert, key, port=STATS_PORT):
    """Adds an HTTPS listener on the statistics port to a (not yet started) release server."""
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(cert, key)
    listener = ports.bind_fixed(lambda: _FixedPortServer(server, port, ctx), port, "stats")
    server._servers.append(listener)
    return listener


def stats_certificate(folder, probe):
    """A CA-signed certificate for 127.0.0.1 whose root the prefix trusts (made once per folder)."""
    os.makedirs(folder, exist_ok=True)
    ca, cert, key = (os.path.join(folder, n) for n in ("ca.pem", "srv.pem", "srv.key"))
    if not all(os.path.exists(p) for p in (ca, cert, key)):
        make_ca_signed(folder, "DNS:127.0.0.1")
    done = subprocess.run([WINE, probe, "trust", msgbox.windows_path(ca), "-"], capture_output=True, timeout=120)
    if b"result 0" not in done.stdout:
        raise RuntimeError("could not trust the statistics root: %r" % (done.stdout + done.stderr))
    return cert, key


# -- the road -----------------------------------------------------------------------------------
def record(server, **data):
    """The login reply of the typical road."""
    base = {"open": "game\\Game.exe", "uid": "10001", "sid": "s1", "extraInfo": "x1", "token": "tok",
            "up_version": "1", "up_bg": server.url("/bg.png"), "game_url": server.url("/pkg/game_v2.7z"),
            "game_version": "2.0", "up_url": ""}
    base.update(data)
    return {"code": "1", "info": "", "data": base}


LOGIN_PATH = ("/myqavo/login&uid=10001&platform=pc&gkey=g&server_id=1&time=170&vip_level=0&is_adult=1"
              "&type=a&callback_info=cb&sign=sg")


def make_game_folder(ready, folder, installed="1.0", instance="ZelTest"):
    """A game folder as users have it: the ready folder's files, an installed game at version
    installed (None: no version file), game\\readonly.dat read-only."""
    shutil.copytree(ready, folder)
    with open(os.path.join(folder, "ZelLogin.ini"), "wb") as f:
        f.write(("[URL]\r\nname=%s\r\n" % instance).encode("gbk"))
    game = os.path.join(folder, "game")
    os.makedirs(game, exist_ok=True)
    if installed is not None:
        with open(os.path.join(game, "ZelUpGame.ini"), "wb") as f:
            f.write(b"[VERSION]\r\ngame_version=" + installed.encode() + b"\r\n")
    write_file(os.path.join(game, "readonly.dat"), b"old read-only data\r\n", mode=0o444)
    return folder


def read_version(folder, relative="game"):
    path = os.path.join(folder, relative, "ZelUpGame.ini")
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        for line in f.read().decode("latin-1").splitlines():
            if line.startswith("game_version="):
                return line.split("=", 1)[1].strip()
    return ""


class Driver:
    """road_driver.exe under Wine."""

    def __init__(self, exe, updater=None):
        self.exe = exe
        # The updater whose window counts (a Unix path); None: any updater's.
        self.updater = updater

    def command(self, *args):
        prefix = ["--exe", msgbox.windows_path(self.updater)] if self.updater else []
        return [WINE, self.exe] + prefix + [str(a) for a in args]

    def run(self, *args, timeout=60):
        done = subprocess.run(self.command(*args), capture_output=True, timeout=timeout + 30)
        return done.stdout.decode("utf-8", "replace").strip()

    def find(self, seconds=30):
        out = self.run("find", seconds, timeout=seconds)
        parts = out.split()
        if len(parts) == 6 and parts[0] == "window":
            visible, x, y, w, h = (int(p) for p in parts[1:])
            return {"visible": bool(visible), "x": x, "y": y, "w": w, "h": h}
        return None

    def wait_hidden(self, seconds=30):
        return self.run("wait-hidden", seconds, timeout=seconds)

    def click(self, x, y):
        return self.run("click", x, y)

    def hittest(self, x, y):
        out = self.run("hittest", x, y)
        return int(out.split()[1]) if out.startswith("hit ") else None

    def shot(self, png_path):
        bmp = png_path + ".bmp"
        out = self.run("shot", msgbox.windows_path(bmp))
        if not out.startswith("shot ") or not os.path.exists(bmp):
            return False
        bmp_to_png(bmp, png_path)
        os.unlink(bmp)
        return True


def read_game_record(folder):
    path = os.path.join(folder, "game", "started.txt")
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read().decode("utf-8", "replace").splitlines()


def wait_for(predicate, timeout, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def report_requests(server):
    return [r for r in server.requests if r["path"] == "/Lgtim" and r.get("tls")]


def json_body(request):
    return json.loads(request["body"].decode("utf-8"))
