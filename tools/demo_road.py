#!/usr/bin/env python3
"""`make demo`, the updater's road for a newcomer (run by tools/demo.sh inside the Wine set-up):
the release server on 127.0.0.1 with a generated package, ZelLoader.exe from the ready folder
under Wine with its window shown on the Xvfb screen, screenshots while it downloads and while
it unpacks, and the road's record at the end. Then the launcher's road (demo_launcher.py):
host -> launcher -> ZelLoader.exe -> game -> host told.

Usage: demo_road.py BUILD-DIR (the architecture's build folder, e.g. build/x86_64)"""
import os
import shutil
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "downloader", "road"))
sys.path.insert(0, os.path.join(ROOT, "tests", "launcher"))
import road_fixture as rf  # noqa: E402
import launcher_road as lr  # noqa: E402
import demo_launcher  # noqa: E402

SPEED_TEXT_AREA = (300, 246, 492, 268)   # where the skin shows the speed, client coordinates
BAR_AREA = (30, 278, 490, 286)           # the progress bar's inside
SPEED_COLOUR = (0x9C, 0xC6, 0xE8)
BAR_COLOUR_MIN_GREEN = 0x80


def say(text):
    print(text, flush=True)


def count(pixels, area, test):
    _, _, rows = pixels
    n = 0
    x0, y0, x1, y1 = area
    for y in range(y0, y1):
        row = rows[y]
        for x in range(x0, x1):
            if test(row[4 * x], row[4 * x + 1], row[4 * x + 2]):
                n += 1
    return n


def classify(path, border):
    """"download" while the speed text shows, "extract" when it is gone and the bar fills."""
    pixels = lr.read_png(path)
    w, h, _ = pixels
    shift = lambda a: (a[0] + border, a[1] + border, a[2] + border, a[3] + border)  # noqa: E731
    speed = count(pixels, shift(SPEED_TEXT_AREA),
                  lambda r, g, b: abs(r - SPEED_COLOUR[0]) + abs(g - SPEED_COLOUR[1]) + abs(b - SPEED_COLOUR[2]) < 60)
    bar = count(pixels, shift(BAR_AREA), lambda r, g, b: g >= BAR_COLOUR_MIN_GREEN and b >= 0x80 and r < 0x80)
    if speed > 20:
        return "download", bar
    if bar > 0:
        return "extract", bar
    return "other", bar


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    build = os.path.abspath(argv[1])
    ready = os.path.join(build, "ready")
    programs = os.path.join(build, "tests", "downloader", "road")
    standin = os.path.join(programs, "game_standin.exe")
    driver = rf.Driver(os.path.join(programs, "road_driver.exe"))
    probe = os.path.join(build, "tests", "downloader", "update", "download_probe.exe")
    work = os.path.join(build, "demo")
    shots = os.path.join(work, "screenshots")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(shots)
    began = time.time()
    stamp = lambda: time.time() - began  # noqa: E731

    say("demo: making the release: a game package (stand-in game, nested folders, ~200 MB unpacked)")
    cert = rf.stats_certificate(os.path.join(build, "road-tls"), probe)
    package = os.path.join(work, "game_v2.7z")
    # Highly compressible data: a package of a few MB that takes a moment to unpack.
    extra = {"game/data/big/level%02d.pak" % i: bytes(range(256)) * (40 * 4096) for i in range(5)}
    extra["game/autoquit"] = b"4"
    rf.make_package(work, package, standin, data_mb=4, extra=extra)
    with open(package, "rb") as f:
        package_bytes = f.read()

    server = rf.ReleaseServer()
    rf.add_stats_endpoint(server, *cert)
    seen = []
    lock = threading.Lock()

    def on_request(srv):
        with lock:
            while len(seen) < len(srv.requests):
                seen.append(stamp())
    server.on_request = on_request
    server.route(rf.LOGIN_PATH, rf.Reply.update(rf.record(server)))
    server.route("/bg.png", rf.Reply(body=rf.background_png()))
    # Throttled, so that the download can be watched (and photographed).
    server.route("/pkg/game_v2.7z", rf.Reply(body=package_bytes, rate=700_000, chunk=16384))
    server.route("/Lgtim", rf.Reply(body=b"ok"))
    server.start()
    say("demo: release server on http://127.0.0.1:%d, statistics endpoint https://127.0.0.1:%d/Lgtim; "
        "package %.1f MB" % (server.port, rf.STATS_PORT, len(package_bytes) / 1e6))

    folder = rf.make_game_folder(ready, os.path.join(work, "game folder"), installed="1.0", instance="ZelDemo")
    say("demo: game folder (from the ready folder %s): %s" % (ready, folder))
    say("demo: starting ZelLoader.exe under Wine on display %s" % os.environ.get("DISPLAY", "?"))
    started = rf.msgbox.start_program(os.path.join(build, "tools", "msgbox", "msgbox_driver.exe"),
                                      os.path.join(folder, "ZelLoader.exe"), [server.url(rf.LOGIN_PATH)],
                                      cwd=folder, timeout=180, loader=rf.WINE)
    window = driver.find(60)
    shown_at = stamp()
    if not window:
        say("demo: the window did not appear")
        return 1
    say("demo: window shown at %.2f s (%dx%d)" % (shown_at, window["w"], window["h"]))

    # Photographs until the window hides; keep the best of each phase.
    best = {}
    n = 0
    while True:
        n += 1
        path = os.path.join(shots, "shot%03d.png" % n)
        if not driver.shot(path):
            break
        phase, bar = classify(path, 0)
        at = stamp()
        if phase in ("download", "extract"):
            keep = best.get(phase)
            # Prefer a well advanced bar: it shows the most.
            if keep is None or (bar > keep[1] and bar < 430):
                best[phase] = (path, bar, at)
        if rf.read_game_record(folder):
            break
    for phase in ("download", "extract"):
        if phase in best:
            target = os.path.join(work, "window-%s.png" % ("downloading" if phase == "download" else "extracting"))
            shutil.copy(best[phase][0], target)
            best[phase] = (target,) + best[phase][1:]
    shutil.rmtree(shots, ignore_errors=True)

    record = rf.wait_for(lambda: (rf.read_game_record(folder) or [None, None])[1:] and rf.read_game_record(folder), 60)
    game_at = os.path.getmtime(os.path.join(folder, "game", "started.txt")) - began if record else None
    hidden = driver.wait_hidden(10)
    result = rf.msgbox.finish_program(*started, timeout=120)
    ended_at = stamp()
    server.stop()

    say("")
    say("== The road's record ==")
    say("Requests seen by the server:")
    for r, at in zip(server.requests, seen):
        say("  %6.2f s  %-4s %s%s" % (at, r["method"], "https " if r["tls"] else "", r["path"]))
    say("Game command line:  %s" % (record[0] if record else "(the game was not started)"))
    say("Game folder (cwd):  %s" % (record[1] if record else "-"))
    reports = rf.report_requests(server)
    say("Report body:        %s" % (reports[0]["body"].decode("utf-8").rstrip("\n") + "\\n" if reports else "(none)"))
    say("Window at game start: %s; ZelLoader exit code: %s; message boxes: %s"
        % (hidden, result.exit_code, result.boxes or "none"))
    say("Stages:")
    times = dict((r["path"], at) for r, at in zip(server.requests, seen))
    stages = [("login request", times.get(rf.LOGIN_PATH)), ("background image", times.get("/bg.png")),
              ("window shown", shown_at), ("package download starts", times.get("/pkg/game_v2.7z")),
              ("game started", game_at), ("report posted", times.get("/Lgtim")), ("updater ended", ended_at)]
    last = 0.0
    for name, at in stages:
        if at is None:
            say("  %-26s -" % name)
            continue
        say("  %-26s at %6.2f s  (+%.2f s)" % (name, at, at - last))
        last = at
    say("Screenshots:")
    for phase, label in (("download", "during the download"), ("extract", "during the extraction")):
        say("  %-22s %s" % (label, best[phase][0] if phase in best else "(not caught)"))
    ok = bool(record) and result.exit_code == 0 and bool(reports)
    say("demo: %s" % ("the road ran end to end" if ok else "the road did NOT complete"))
    say("")
    launcher_ok = demo_launcher.run(build, cert, os.path.join(work, "launcher"), say)
    return 0 if ok and launcher_ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
