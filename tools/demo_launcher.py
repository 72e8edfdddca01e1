"""`make demo`, the launcher's road (run by demo_road.py after the updater's road): a host
stand-in starts the launcher (Login with the stand-in page, which calls "AppLogin"), the launcher
starts ZelLoader.exe from a copy of the ready folder against the release server on the build's
login port, the game runs, and the host is told once the updater has ended. Screenshots of
the launcher's window and of the updater's window during that road, and the road's record."""
import os
import shutil
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "launcher"))
import launcher_road as lr  # noqa: E402
from launcher_road import rf  # noqa: E402


def run(build, cert, work, say):
    """Runs the road in work/; returns True when it ran end to end."""
    programs = os.path.join(build, "tests", "downloader", "road")
    road_bin = os.path.join(build, "tests", "launcher", "road-bin")
    host = os.path.join(road_bin, "launcher_host.exe")
    box_driver = os.path.join(build, "tools", "msgbox", "msgbox_driver.exe")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    began = time.time()
    stamp = lambda: time.time() - began  # noqa: E731

    package = os.path.join(work, "game_v2.7z")
    rf.make_package(work, package, os.path.join(programs, "game_standin.exe"), data_mb=2,
                    extra={"game/autoquit": b"3"})
    with open(package, "rb") as f:
        package_bytes = f.read()
    server = lr.LoginPortServer()
    rf.add_stats_endpoint(server, *cert)
    server.route(rf.LOGIN_PATH, rf.Reply.update(rf.record(server)))
    server.route("/bg.png", rf.Reply(body=rf.background_png()))
    # Throttled, so that the updater's window can be photographed while it downloads.
    server.route("/pkg/game_v2.7z", rf.Reply(body=package_bytes, rate=300_000, chunk=16384))
    server.route("/Lgtim", rf.Reply(body=b"ok"))
    server.start()

    folder = rf.make_game_folder(os.path.join(build, "ready"), os.path.join(work, "game folder"), installed="1.0",
                                 instance="ZelDemoLauncher")
    lr.add_launcher(folder, road_bin, server, hold=True)
    driver = rf.Driver(os.path.join(programs, "road_driver.exe"), updater=os.path.join(folder, "ZelLoader.exe"))
    say("demo: the launcher's road: host stand-in -> LoginRoad.exe (Login with the stand-in page) -> "
        "ZelLoader.exe -> game; login host http://127.0.0.1:%d" % lr.LOGIN_PORT)
    started = lr.start_road(box_driver, host, folder, timeout=120)

    # The launcher's window: the page waits until it has been photographed.
    shots = {}
    shown = rf.wait_for(lambda: max(lr.HostRecord(folder).visible or [0]) >= 2, 60)
    if shown:
        time.sleep(1)  # painted
        path = os.path.join(work, "launcher-window.png")
        if lr.shot_launcher(host, lr.HostRecord(folder).pid, path):
            shots["the launcher's window"] = path
    lr.release_page(folder)
    window = driver.find(60)
    if window and rf.wait_for(lambda: server.requests_for("/pkg/game_v2.7z"), 30):
        time.sleep(1.5)  # the download under way
        path = os.path.join(work, "launcher-road-updater.png")
        if driver.shot(path):
            shots["the updater's window"] = path
    record = rf.wait_for(lambda: rf.read_game_record(folder), 120)
    game_at = stamp() if record else None
    result = rf.msgbox.finish_program(*started, timeout=120)
    ended_at = stamp()
    server.stop()

    hosted = lr.HostRecord(folder)
    boxes = lr.real_boxes(result, hosted.pid) if hosted.pid else result.boxes
    updaters = lr.children_of(result, hosted.pid) if hosted.pid else []
    notices = hosted.notices
    say("")
    say("== The launcher's road ==")
    say("Requests seen by the server:")
    for r in server.requests:
        say("  %-4s %s%s" % (r["method"], "https " if r["tls"] else "", r["path"]))
    say("Game command line:  %s" % (record[0] if record else "(the game was not started)"))
    say("Launcher windows shown, then hidden: %s" % " -> ".join(str(v) for v in hosted.visible))
    say("Host notices:       %s" % ("; ".join("WM_COPYDATA kind %d, %d bytes from a %s of the launcher, "
                                               "updater running: %s" % (n["kind"], n["size"], n["class"],
                                                                        "yes" if n["children"] else "no")
                                              for n in notices) or "(none)"))
    say("Exit codes:         launcher %s, updater %s; message boxes: %s"
        % (hosted.exit_code, [result.exits.get(u) for u in updaters], boxes or "none"))
    say("Game started at %s; the road ended at %.2f s" % ("%.2f s" % game_at if game_at else "-", ended_at))
    say("Screenshots:")
    for label in ("the launcher's window", "the updater's window"):
        say("  %-22s %s" % (label, shots.get(label, "(not caught)")))
    ok = (bool(record) and hosted.exit_code == 0 and len(notices) == 1 and notices[0]["bytes"] == lr.notice_bytes()
          and not boxes and [result.exits.get(u) for u in updaters] == [0])
    say("demo: %s" % ("the launcher's road ran end to end" if ok else "the launcher's road did NOT complete"))
    return ok
