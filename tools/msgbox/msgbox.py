"""Runs a Windows program under Wine through msgbox_driver.exe and reads back the record.

    from msgbox import run_program
    result = run_program(driver_exe, "/tmp/t/ZelLoader.exe", ["http://..."], cwd="/tmp/t")
    result.boxes      # [(caption, text)] in the order they were answered
    result.exit_code  # the program's own exit code (-1 reads as -1, not 255)
    result.exits      # {pid: code} for the program and every process it started
    result.windows    # [(class, title)] of other visible top-level windows
    result.debug      # [(pid, text)] of the strings given to OutputDebugString
    result.timed_out

A run in which any watched process crashed (an exception none of its handlers took) does not
return: finish_program and run_program raise ProgramCrashed, an AssertionError naming the
process, the code and the address, so every test that runs a program this way fails on it.
Under the driver such a process ends quietly with the exception's code, where a player would
see a crash dialog.

The Wine loader is $WINELOADER (tools/wine/env.sh exports it) unless one is given. Paths
given as Unix paths are handed to Windows as Z: paths.
"""
import os
import subprocess
import sys
import tempfile


def windows_path(path):
    """A Unix path as the Z: path Wine maps it to."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Result:
    def __init__(self, lines):
        self.events = []
        for line in lines:
            fields = [_unescape(f) for f in line.rstrip("\r\n").split("\t")]
            if fields and fields[0]:
                self.events.append(fields)
        self.boxes = [(e[2], e[3]) for e in self.events if e[0] == "box" and len(e) >= 4]
        self.windows = [(e[2], e[3]) for e in self.events if e[0] == "window" and len(e) >= 4]
        self.exits = {int(e[1]): int(e[2]) for e in self.events if e[0] == "exit"}
        self.crashes = [(int(e[1]), int(e[2], 16), int(e[3], 16)) for e in self.events
                        if e[0] == "crash" and len(e) >= 4]
        self.debug = [(int(e[1]), e[2]) for e in self.events if e[0] == "debug" and len(e) >= 3]
        self.timed_out = any(e[0] == "timeout" for e in self.events)
        starts = [int(e[1]) for e in self.events if e[0] == "start"]
        self.pid = starts[0] if starts else None
        self.exit_code = self.exits.get(self.pid)
        self.children = [int(e[1]) for e in self.events if e[0] == "process"]

    def __repr__(self):
        return "Result(%r)" % (self.events,)


class ProgramCrashed(AssertionError):
    """Raised for a run in which a watched process crashed; .result holds the whole record."""

    def __init__(self, result):
        parents = {int(e[1]): int(e[2]) for e in result.events if e[0] == "process" and len(e) >= 3}
        named = []
        for pid, code, address in result.crashes:
            who = "the program" if pid == result.pid else "process %d (started by %s)" % (pid, parents.get(pid, "?"))
            named.append("%s crashed: exception 0x%08X at 0x%X" % (who, code, address))
        super().__init__("; ".join(named) + "\n" + repr(result))
        self.result = result


def _show_debug_strings(result):
    """The programs' debug strings on our standard error, one line each, so that ctest shows
    them with the test's output. A process often writes one line in several calls."""
    pending = {}
    for pid, text in result.debug:
        pending[pid] = pending.get(pid, "") + text
        *lines, pending[pid] = pending[pid].split("\n")
        for line in lines:
            sys.stderr.write("debug %d: %s\n" % (pid, line.rstrip("\r")))
    for pid, rest in pending.items():
        if rest:
            sys.stderr.write("debug %d: %s\n" % (pid, rest))


def _unescape(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == "\\" and i + 1 < len(s):
            nxt = s[i + 1]
            out.append({"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}.get(nxt, nxt))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def start_program(driver, program, args=(), cwd=None, timeout=120, press=1, loader=None, env=None):
    """Starts the driver and returns (Popen, log path); finish with finish_program."""
    loader = loader or os.environ.get("WINELOADER") or "wine"
    fd, log = tempfile.mkstemp(prefix="boxes-", suffix=".log", dir=cwd)
    os.close(fd)
    cmd = [loader, driver, "--log", windows_path(log), "--timeout", str(timeout), "--press", str(press)]
    if cwd:
        cmd += ["--cwd", windows_path(cwd)]
    cmd += ["--", windows_path(program) if os.path.exists(program) else program] + list(args)
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return proc, log


def finish_program(proc, log, timeout=180):
    try:
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    with open(log, encoding="utf-8", errors="replace") as f:
        result = Result(f.read().split("\n"))
    os.unlink(log)
    _show_debug_strings(result)
    if result.crashes:
        raise ProgramCrashed(result)
    return result


def run_program(driver, program, args=(), cwd=None, timeout=120, press=1, loader=None, env=None):
    proc, log = start_program(driver, program, args, cwd, timeout, press, loader, env)
    return finish_program(proc, log, timeout + 60)
