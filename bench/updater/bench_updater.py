#!/usr/bin/env python3
"""The updater's benchmarks, run by tools/bench.sh inside the Wine set-up (Wine prefix, Xvfb):
each pair side by side in one run, medians of RUNS runs, ratios against the reference.

- download: ZelLoader.exe with its window (a package from the local release server, timed from
  the package request to the file on disk being whole) against a bare WinINet loop with the
  same 512-byte reads, a 64 KiB loop and native curl as ceilings;
- extraction: the updater's extraction driver (ZelExtract.exe) against the 7-Zip console
  program built from the same source, both under Wine, and native 7zz, for a few large files
  and for many small files in many folders;
- start-up: from process start to the window shown on the equal-version road, minus a trivial
  program's start under the same Wine, both started by Wine straight (no box driver).

Usage: bench_updater.py BUILD-DIR
  (env: ZEL_BENCH_RUNS, ZEL_BENCH_DOWNLOAD_MB, ZEL_BENCH_EXTRACT_MB, ZEL_BENCH_SMALL_FILES, and
   ZEL_BENCH_ONLY: a comma-separated choice of startup, download, extraction)
Prints Markdown rows: | area | case | figure | unit | note |"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "downloader", "road"))
import road_fixture as rf  # noqa: E402

RUNS = int(os.environ.get("ZEL_BENCH_RUNS") or 3)
DOWNLOAD_MB = int(os.environ.get("ZEL_BENCH_DOWNLOAD_MB") or 200)
EXTRACT_MB = int(os.environ.get("ZEL_BENCH_EXTRACT_MB") or 500)
SMALL_FILES = int(os.environ.get("ZEL_BENCH_SMALL_FILES") or 20000)


def row(area, case, figure, unit, note=""):
    print("| %s | %s | %s | %s | %s |" % (area, case, figure, unit, note), flush=True)


def median(values):
    return statistics.median(values) if values else float("nan")


class Bench:
    def __init__(self, build):
        self.build = build
        self.ready = os.path.join(build, "ready")
        road = os.path.join(build, "tests", "downloader", "road")
        self.standin = os.path.join(road, "game_standin.exe")
        self.driver = rf.Driver(os.path.join(road, "road_driver.exe"))

        self.loop = os.path.join(build, "bench-tools", "wininet_loop.exe")
        self.extract = os.path.join(build, "tests", "downloader", "extract", "ZelExtract.exe")
        self.console = os.path.join(build, "bench-tools", "7z-console", "7z.exe")
        self.probe = os.path.join(build, "tests", "downloader", "update", "download_probe.exe")
        self.work = tempfile.mkdtemp(prefix="bench-updater-", dir=build)

    def close(self):
        shutil.rmtree(self.work, ignore_errors=True)

    # -- download ---------------------------------------------------------------------------
    def download(self):
        body = os.urandom(DOWNLOAD_MB * 1024 * 1024)
        server = rf.ReleaseServer()
        cert = rf.stats_certificate(os.path.join(self.build, "road-tls"), self.probe)
        rf.add_stats_endpoint(server, *cert)
        requested = {}
        server.on_request = lambda srv: requested.setdefault(len(srv.requests), time.time())
        # Not an archive: the updater stops after the download and waits for "close".
        server.route("/pkg/game_v2.7z", rf.Reply(body=body))
        server.route("/bg.png", rf.Reply(body=rf.background_png(64, 40)))
        server.route(rf.LOGIN_PATH, rf.Reply.update(rf.record(server)))
        server.start()
        url = server.url("/pkg/game_v2.7z")
        results = {"loop512": [], "loop64k": [], "curl": [], "updater": []}
        try:
            for _ in range(RUNS):
                for name, chunk in (("loop512", 512), ("loop64k", 65536)):
                    target = os.path.join(self.work, "loop.bin")
                    out = subprocess.run([rf.WINE, self.loop, url, str(chunk), rf.msgbox.windows_path(target)],
                                         capture_output=True, timeout=1200).stdout.decode()
                    parts = out.split()
                    if len(parts) == 4 and int(parts[1]) == len(body):
                        results[name].append(float(parts[3]))
                    os.unlink(target)
                began = time.time()
                subprocess.run(["curl", "-s", "-o", os.devnull, url], check=True, timeout=600)
                results["curl"].append(time.time() - began)
                seconds = self.updater_download(server, requested, len(body))
                if seconds:
                    results["updater"].append(seconds)
        finally:
            server.stop()
        mb = len(body) / 1e6
        base = median(results["loop512"])
        for name, label in (("updater", "ZelLoader with its window, 512 B reads"),
                            ("loop512", "bare WinINet loop, 512 B reads"), ("loop64k", "bare WinINet loop, 64 KiB reads"),
                            ("curl", "native curl (ceiling)")):
            m = median(results[name])
            row("updater download", "%s, %d MB" % (label, DOWNLOAD_MB), "%.1f" % (mb / m), "MB/s",
                "median of %d; %.2fx the bare 512 B loop" % (len(results[name]), base / m))

    def updater_download(self, server, requested, size):
        folder = rf.make_game_folder(self.ready, os.path.join(self.work, "app"), "1.0", "bench")
        server.requests.clear()
        requested.clear()
        # Started by Wine straight, as the loops are: under the box driver, a debugger, the
        # updater is another program. No box comes up on this road.
        updater = subprocess.Popen([rf.WINE, rf.msgbox.windows_path(os.path.join(folder, "ZelLoader.exe")),
                                    server.url(rf.LOGIN_PATH)], cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        target = os.path.join(folder, "game_v2.7z")
        end = None
        deadline = time.time() + 1200
        while time.time() < deadline:
            if os.path.exists(target) and os.path.getsize(target) == size:
                end = time.time()
                break
            time.sleep(0.01)
        # The package request's arrival (the third request: login, image, package).
        begin = requested.get(3)
        self.driver.click(498, 20)
        self.wait_or_kill(updater, 120)
        shutil.rmtree(folder, ignore_errors=True)
        return end - begin if end and begin else None

    @staticmethod
    def wait_or_kill(process, timeout):
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    # -- extraction -------------------------------------------------------------------------
    def extraction(self):
        # A few large files: the decoder and the disk writes.
        tree = os.path.join(self.work, "large")
        os.makedirs(os.path.join(tree, "game"))
        block = os.urandom(1024 * 1024)
        files = 5
        per_file = EXTRACT_MB // files
        for i in range(files):
            with open(os.path.join(tree, "game", "part%d.pak" % i), "wb") as f:
                for j in range(per_file):
                    # Half random, half repeated: the decoder works, the disk writes.
                    f.write(block if j % 2 == 0 else bytes(1024 * 1024))
        archive = self.pack(tree, "large.7z")
        mb = per_file * files
        self.extraction_rows(archive, "%d files, %d MB" % (files, mb), mb, "MB/s")

        # Many small files in many folders: what each item costs besides its data (the look-ups,
        # creates and closes per file), as a game's data folders have them.
        tree = os.path.join(self.work, "small")
        folders = max(1, SMALL_FILES // 100)
        noise = random.Random(3)
        for d in range(folders):
            folder = os.path.join(tree, "game", "data%03d" % d)
            os.makedirs(folder)
            for i in range(SMALL_FILES // folders):
                with open(os.path.join(folder, "f%03d.txt" % i), "wb") as f:
                    f.write(noise.randbytes(200 + (i * 37) % 1800))
        archive = self.pack(tree, "small.7z")
        count = folders * (SMALL_FILES // folders)
        self.extraction_rows(archive, "%d files in %d folders" % (count, folders), count, "files/s")

    def pack(self, tree, name):
        archive = os.path.join(self.work, name)
        subprocess.run([rf.SEVENZ, "a", "-t7z", "-mx=1", "-mmt=4", archive, "game"], cwd=tree, check=True,
                       stdout=subprocess.DEVNULL)
        shutil.rmtree(tree)
        return archive

    def extraction_rows(self, archive, what, amount, unit):
        out = os.path.join(self.work, "out")
        cases = [
            ("driver", "ZelExtract (the updater's extraction, no window)",
             lambda: [rf.WINE, self.extract, rf.msgbox.windows_path(archive), rf.msgbox.windows_path(out)]),
            ("console", "7-Zip console program, same source, under Wine",
             lambda: [rf.WINE, self.console, "x", "-y", "-o" + rf.msgbox.windows_path(out), rf.msgbox.windows_path(archive)]),
            ("native", "native 7zz (ceiling)", lambda: [rf.SEVENZ, "x", "-y", "-o" + out, archive]),
        ]
        results = {name: [] for name, _, _ in cases}
        for _ in range(RUNS):
            for name, _, command in cases:
                if name == "console" and not os.path.exists(self.console):
                    continue
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)
                began = time.time()
                done = subprocess.run(command(), capture_output=True, timeout=1800)
                if done.returncode == 0:
                    results[name].append(time.time() - began)
        shutil.rmtree(out, ignore_errors=True)
        os.unlink(archive)
        base = median(results["console"])
        for name, label, _ in cases:
            m = median(results[name])
            row("updater extraction", "%s, %s" % (label, what), "%.1f" % (amount / m), unit,
                "median of %d; %.2fx the console" % (len(results[name]), base / m if results[name] else float("nan")))

    # -- start-up ---------------------------------------------------------------------------
    def startup(self):
        server = rf.ReleaseServer()
        cert = rf.stats_certificate(os.path.join(self.build, "road-tls"), self.probe)
        rf.add_stats_endpoint(server, *cert)
        server.route("/bg.png", rf.Reply(body=rf.background_png(64, 40)))
        server.route(rf.LOGIN_PATH, rf.Reply.update(rf.record(server)))
        server.route("/Lgtim", rf.Reply(body=b"ok"))
        server.start()
        shown, trivial = [], []
        try:
            for i in range(RUNS):
                # Both programs the same way, started by Wine straight: the box driver, a
                # debugger, holds a process at every library load and thread start.
                began = time.time()
                subprocess.run([rf.WINE, self.driver.exe], capture_output=True, timeout=120)
                trivial.append(time.time() - began)
                folder = rf.make_game_folder(self.ready, os.path.join(self.work, "start%d" % i), "2.0", "benchstart")
                shutil.copy(self.standin, os.path.join(folder, "game", "Game.exe"))
                with open(os.path.join(folder, "game", "autoquit"), "w") as f:
                    f.write("0")
                finder = subprocess.Popen([rf.WINE, self.driver.exe, "find", "60"], stdout=subprocess.PIPE)
                time.sleep(1.0)  # the finder is up and looking before the updater starts
                began = time.time()
                updater = subprocess.Popen([rf.WINE, rf.msgbox.windows_path(os.path.join(folder, "ZelLoader.exe")),
                                            server.url(rf.LOGIN_PATH)], cwd=folder, stdin=subprocess.DEVNULL,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                line = finder.stdout.readline().decode()
                if line.startswith("window 1"):
                    shown.append(time.time() - began)
                finder.wait()
                self.wait_or_kill(updater, 120)
        finally:
            server.stop()
        m, t = median(shown), median(trivial)
        row("updater start-up", "process start to window shown (equal versions)", "%.0f" % (m * 1000), "ms",
            "median of %d; includes the 500 ms start-up sleep; not under the box driver" % len(shown))
        row("updater start-up", "trivial program, started the same way", "%.0f" % (t * 1000), "ms",
            "median of %d" % len(trivial))
        row("updater start-up", "difference: the updater's own time", "%.0f" % ((m - t) * 1000), "ms",
            "goal: 500 ms of sleeps + 150 ms")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    bench = Bench(os.path.abspath(argv[1]))
    only = os.environ.get("ZEL_BENCH_ONLY")
    try:
        for name in ("startup", "download", "extraction"):
            if not only or name in only.split(","):
                getattr(bench, name)()
    finally:
        bench.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
