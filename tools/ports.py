"""The loopback ports a build folder's hosts name (ZEL_LOGIN_HOST, ZEL_STATS_HOST), where its
end-to-end tests, `make demo` and `make bench` listen.

A port is claimed for one build folder on this machine, in a registry of one file per port,
and must be free to bind. Both are checked when a folder is configured, and the servers take
their port through bind_fixed(), so that a clash is told once, at once, with the port and the
settings that move it, instead of as a bind error deep inside a test.

    ports.py check <build-folder> <role> <host> [<role> <host>...]   (role: login or stats)

ZEL_PORT_REGISTRY names the registry folder (default /tmp/zelloader-ports, shared by every
user of the machine, as the ports are)."""
import errno
import os
import re
import socket
import sys
import time

SETTINGS = {"login": "ZEL_LOGIN_HOST", "stats": "ZEL_STATS_HOST"}
LOOPBACK = ("127.0.0.1", "localhost")


class PortClash(Exception):
    pass


def registry():
    return os.environ.get("ZEL_PORT_REGISTRY") or "/tmp/zelloader-ports"


def advice(folder=None):
    where = folder or "<build folder>"
    return ("Move it with ZEL_LOGIN_HOST or ZEL_STATS_HOST, e.g. cmake -DZEL_LOGIN_HOST=127.0.0.1:<port> "
            "-DZEL_STATS_HOST=127.0.0.1:<port> %s" % where)


def loopback_port(host):
    """The port of a host the tests listen on, or None for a host elsewhere."""
    m = re.fullmatch(r"(.*?)(?::(\d+))?", host)
    name, port = m.group(1), m.group(2)
    if name not in LOOPBACK:
        return None
    return int(port) if port else 80


def holder(port):
    """Who listens on a loopback port, as far as this user may see: "pid 123 (python3)"."""
    inodes = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        try:
            with open(table) as f:
                next(f)
                for line in f:
                    fields = line.split()
                    # State 0A is LISTEN.
                    if int(fields[1].rsplit(":", 1)[1], 16) == port and fields[3] == "0A":
                        inodes.add(fields[9])
        except OSError:
            pass
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            for fd in os.listdir("/proc/%s/fd" % pid):
                target = os.readlink("/proc/%s/fd/%s" % (pid, fd))
                if target.startswith("socket:[") and target[8:-1] in inodes:
                    with open("/proc/%s/comm" % pid) as f:
                        return "pid %s (%s)" % (pid, f.read().strip())
        except OSError:
            continue
    return "another program" if not inodes else "a process of another user"


def bind_error(port):
    """None when the port can be bound now (as the servers bind it), else the OSError."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    try:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind(("127.0.0.1", port))
        s.listen(1)
        return None
    except OSError as e:
        return e
    finally:
        s.close()


def taken_message(port, role, folder=None, error=None):
    what = "the %s port (%s)" % (role, SETTINGS[role]) if role in SETTINGS else "a fixed port"
    if error is not None and error.errno != errno.EADDRINUSE:
        state = "cannot be listened on (%s)" % error.strerror
    else:
        state = "is taken by %s" % holder(port)
    return "port %d, %s of %s, %s. %s" % (port, what, folder or "this build", state, advice(folder))


def _claimed_by_cache(folder, port):
    """Whether a build folder's CMake cache still names the port in one of its hosts."""
    try:
        with open(os.path.join(folder, "CMakeCache.txt"), encoding="utf-8", errors="replace") as f:
            for line in f:
                m = re.match(r"(ZEL_LOGIN_HOST|ZEL_STATS_HOST):STRING=(.*)$", line.rstrip("\n"))
                if m and loopback_port(m.group(2)) == port:
                    return True
    except OSError:
        pass
    return False


def claim(port, folder, role):
    """Claims a port for a build folder; a message when another folder that still names it
    holds the claim. A claim whose folder is gone or moved to other ports is taken over."""
    root = registry()
    try:
        os.makedirs(root, exist_ok=True)
        os.chmod(root, 0o1777)
    except OSError:
        pass  # another user's folder: claims may still be read and made in it
    path = os.path.join(root, str(port))
    for _ in range(3):
        try:
            fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        except FileExistsError:
            try:
                with open(path, encoding="utf-8") as f:
                    owner = f.read().strip()
            except OSError:
                return None
            if owner == folder:
                return None
            if owner and _claimed_by_cache(owner, port):
                return ("port %d, the %s port (%s) of %s, is also a port of the build folder %s. %s"
                        % (port, role, SETTINGS[role], folder, owner, advice(folder)))
            try:
                os.unlink(path)
            except OSError:
                return None  # a stale claim of another user: the bind check still guards
            continue
        except OSError:
            return None  # no registry here: the bind check still guards
        with os.fdopen(fd, "w", encoding="utf-8") as f:
            f.write(folder + "\n")
        return None
    return None


def check(folder, hosts):
    """Every message for a build folder's hosts ({role: host}); empty when all is well."""
    folder = os.path.abspath(folder)
    problems = []
    seen = {}
    for role, host in hosts.items():
        port = loopback_port(host)
        if port is None:
            continue
        if port in seen:
            problems.append("port %d is both the %s port (%s) and the %s port (%s) of %s. %s"
                            % (port, seen[port], SETTINGS[seen[port]], role, SETTINGS[role], folder,
                               advice(folder)))
            continue
        seen[port] = role
        clash = claim(port, folder, role)
        if clash:
            problems.append(clash)
            continue
        error = bind_error(port)
        if error is not None:
            problems.append(taken_message(port, role, folder, error))
    return problems


def bind_fixed(make_server, port, role=None, grace=2.0):
    """make_server() on a fixed port. The port may still be let go of by the case before
    (the cases that listen on it take turns); one that stays taken raises PortClash with the
    port, its holder and the settings, instead of a bare bind error."""
    deadline = time.monotonic() + grace
    while True:
        try:
            return make_server()
        except OSError as e:
            if e.errno != errno.EADDRINUSE or time.monotonic() > deadline:
                raise PortClash(taken_message(port, role, os.environ.get("ZEL_BUILD"), e)) from e
            time.sleep(0.1)


def main(argv):
    if len(argv) < 5 or argv[1] != "check" or len(argv[3:]) % 2:
        sys.stderr.write(__doc__)
        return 2
    pairs = argv[3:]
    hosts = dict(zip(pairs[0::2], pairs[1::2]))
    unknown = set(hosts) - set(SETTINGS)
    if unknown:
        sys.stderr.write("ports: unknown role %s\n" % ", ".join(sorted(unknown)))
        return 2
    problems = check(argv[2], hosts)
    for p in problems:
        sys.stderr.write(p + "\n")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
