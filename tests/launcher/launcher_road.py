"""The launcher's road on this machine, shared by the launcher's end-to-end tests and `make demo`:
a game folder made from the ready folder with the scripted launcher beside the real updater
(LoginRoad.exe: Login with the stand-in page, which calls "AppLogin" with the login JSON once its
windows are shown), the release server on the port of the build's login host, the host stand-in
(launcher_host.exe) started under the box driver, and the records the road leaves."""
import json
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "downloader", "road"))
import road_fixture as rf  # noqa: E402

# The port of the login host the build names (the launcher's login address is fixed in it).
LOGIN_PORT = rf.build_port("ZEL_LOGIN_PORT")

# What the page hands to "AppLogin": the ten members the login address carries.
APP_LOGIN = {"uid": "10001", "platform": "pc", "gkey": "g", "server_id": "1", "time": 170, "vip_level": "0",
             "is_adult": "1", "type": "a", "callback_info": "cb", "sign": "sg"}
SWITCHES = "--token=t --source=s --serverid=1 --fcext=x --fileparam=f"
PAGE_QUERY = "?token=t&source=s&serverid=1&fcext=x&fileparam=f"
LAUNCHER = "LoginRoad.exe"
PAGE_COLOUR = (250, 250, 250)  # what the stand-in page paints


class _LoginPortListener(rf.release_server._Server):
    # The fixed port is taken again right after the previous run let go of it.
    allow_reuse_address = True


class LoginPortServer(rf.ReleaseServer):
    """The release server with its plain HTTP listener on the login port: the address the
    launcher hands to the updater names that port, the rest of the road uses it too."""

    def __init__(self, **kw):
        super().__init__(**kw)
        self._servers[0].server_close()
        self._servers[0] = rf.ports.bind_fixed(lambda: _LoginPortListener(self, LOGIN_PORT), LOGIN_PORT, "login")


def page_url(server):
    return server.url("/login.html")


def ready_folder(road_bin):
    """The build's ready folder (road_bin is <build>/tests/launcher/road-bin)."""
    return os.path.normpath(os.path.join(road_bin, "..", "..", "..", "ready"))


def add_launcher(folder, road_bin, server, hold=False, then=None):
    """Puts the scripted launcher, its skin and the ready folder's sample settings as they ship
    into a game folder made by rf.make_game_folder (whose [URL] name stays the instance name of
    both programs). The sample's login page must lie on the release server. The page calls
    "AppLogin"; then=(call, argument) makes a second call right after it."""
    shutil.copy(os.path.join(road_bin, LAUNCHER), folder)
    shutil.copytree(os.path.join(road_bin, "png"), os.path.join(folder, "png"), dirs_exist_ok=True)
    ini = os.path.join(folder, "ZelLogin.ini")
    with open(ini, "rb") as f:
        name = f.read().decode("gbk").split("name=", 1)[1].split("\r\n", 1)[0]
    with open(os.path.join(ready_folder(road_bin), "ZelLogin.ini"), "rb") as f:
        lines = f.read().decode("gbk").split("\r\n")
    if "game_url=" + page_url(server) not in lines:
        raise RuntimeError("the ready folder's ZelLogin.ini does not name the login page %s: %r"
                           % (page_url(server), lines))
    lines = ["name=" + name if line.startswith("name=") else line for line in lines]
    with open(ini, "wb") as f:
        f.write("\r\n".join(lines).encode("gbk"))
    with open(os.path.join(folder, "road.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("AppLogin\n%s\n" % json.dumps(APP_LOGIN, separators=(",", ":")))
        if then:
            f.write("%s\n%s\n" % then)
    if hold:
        open(os.path.join(folder, "hold"), "w").close()
    return folder


def make_host_busy(folder, seconds):
    """Has the host stand-in's window take no messages for a while, from now."""
    with open(os.path.join(folder, "busy"), "w") as f:
        f.write(str(seconds))


def release_page(folder):
    """Lets a held page go on to "AppLogin"."""
    open(os.path.join(folder, "go"), "w").close()


def start_road(driver, host, folder, timeout=180):
    """The host stand-in under the box driver: it starts the launcher with the switches. The
    driver presses IDABORT, which ends a message box and means nothing to the launcher's own
    dialogs (the driver takes every "#32770" window for a box)."""
    record = os.path.join(folder, "host.txt")
    args = [rf.msgbox.windows_path(record), rf.msgbox.windows_path(os.path.join(folder, LAUNCHER)), SWITCHES]
    return rf.msgbox.start_program(driver, host, args, cwd=folder, timeout=timeout, press=3, loader=rf.WINE)


class HostRecord:
    """What the host stand-in wrote: the launcher's process, its visible window counts in
    order, the notices it got, the launcher's exit code (None while it runs) and the kind of
    every line in order."""

    def __init__(self, folder):
        self.pid, self.visible, self.notices, self.exit_code, self.events = None, [], [], None, []
        path = os.path.join(folder, "host.txt")
        lines = []
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                lines = f.read().splitlines()
        for line in lines:
            fields = line.split(" ")
            self.events.append(fields[0])
            if fields[0] == "start":
                self.pid = int(fields[1])
            elif fields[0] == "visible":
                self.visible.append(int(fields[1]))
            elif fields[0] == "copydata" and len(fields) == 7:
                self.notices.append({"pid": int(fields[1]), "class": fields[2], "kind": int(fields[3]),
                                     "size": int(fields[4]), "children": int(fields[5]),
                                     "bytes": bytes.fromhex(fields[6])})
            elif fields[0] == "exit":
                self.exit_code = int(fields[1])

    def __repr__(self):
        return "HostRecord(%r)" % self.__dict__


def notice_bytes():
    """The record the launcher sends: 1, "1" in a 260-character field, 1."""
    return struct.pack("<i", 1) + "1".encode("utf-16-le").ljust(520, b"\0") + struct.pack("<i", 1)


def real_boxes(result, launcher_pid):
    """The message boxes the driver answered, without the launcher's own dialogs (no text)."""
    return [(e[2], e[3]) for e in result.events
            if e[0] == "box" and len(e) >= 4 and not (int(e[1]) == launcher_pid and e[3] == "")]


def children_of(result, pid):
    return [int(e[1]) for e in result.events if e[0] == "process" and int(e[2]) == pid]


def shot_launcher(host, pid, png_path):
    """The screen under the launcher's windows as a PNG; False when none is shown."""
    bmp = png_path + ".bmp"
    done = subprocess.run([rf.WINE, host, "shot", str(pid), rf.msgbox.windows_path(bmp)], capture_output=True,
                          timeout=60)
    if done.returncode != 0 or not os.path.exists(bmp):
        return False
    rf.bmp_to_png(bmp, png_path)
    os.unlink(bmp)
    return True


def read_png(path):
    """(width, height, rows of RGBA bytes) of a PNG written by rf.bmp_to_png."""

    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        payload = data[pos + 8: pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack_from(">II", payload)
        elif kind == b"IDAT":
            idat += payload
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4 + 1
    return width, height, [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]
