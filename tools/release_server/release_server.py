#!/usr/bin/env python3
"""A scriptable stand-in for the game's release server, for tests on this machine only.

It listens on 127.0.0.1 (a free port unless one is given), answers each request from a
script of routes, and keeps a log of every request. Python 3 standard library only.

As a library:

    from release_server import ReleaseServer, Reply, encode_reply
    with ReleaseServer() as srv:
        srv.route("/login?x=1", Reply.update({"code": "1", "data": {...}}))
        srv.route("/bg.png", Reply(body=png_bytes))
        srv.route("/new.exe", [Reply(status=404), Reply(body=exe)])   # a sequence
        url = srv.url("/login?x=1")
        ... srv.requests ...   # [{'method', 'path', 'headers': [(k, v)], 'body'}]

A route's path is the raw request target (path and query) matched byte for byte; a list
of replies is answered in turn, its last one repeating. Unknown paths get 404.

Reply options: status, body, headers (extra), no_length (no Content-Length, the body ends
when the connection closes), cut_after (announce the whole length, send only that many
bytes, then close), chunk and rate (bytes per second: a throttled body), delay (seconds
before the status line: a server that stalls before its headers), hold (a threading.Event:
the reply waits until it is set), stall (seconds: after the headers and the first cut_after
bytes of the body, or none of it, the connection stays open and silent that long, then
closes). A delay or a stall ends early when the client leaves; the request's log entry then
gets "silence": {"from", "until", "ended_by": "client" or "server"}, filled in (until and
ended_by) once the silence is over. A redirect loop is a route whose reply sends the client back to itself:
Reply(status=302, headers=[("Location", url)]).

HTTPS: ReleaseServer(https=True) also listens with a self-signed certificate made at start
with `openssl req` (or with cert=(cert_file, key_file), e.g. from make_ca_signed);
srv.https_url(path) addresses it, srv.tls_errors lists failed handshakes.

As a program (for test drivers in other languages):

    release_server.py SCRIPT.json LOG.json [--https] [--port-file FILE]

SCRIPT.json maps paths to a reply or a list of replies, each an object with the options
above plus "body_text" (UTF-8), "body_file" (a path) or "update" (a reply object that is
encoded as the updater expects). The ports are printed as "http PORT" [and "https PORT"]
(and written to FILE); the log is rewritten after every request. It runs until killed.
"""
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def encode_reply(plain):
    """The inverse of the updater's decoding: bytes (or text, as UTF-8) to the transport
    text. b[n-1] = p[n-1] ^ 0xA7, b[j] = p[j] ^ p[j+1], then upper-case hex."""
    if isinstance(plain, str):
        plain = plain.encode("utf-8")
    n = len(plain)
    out = bytearray(n)
    for j in range(n):
        out[j] = plain[j] ^ (plain[j + 1] if j + 1 < n else 0xA7)
    return out.hex().upper().encode("ascii")


class Reply:
    def __init__(self, status=200, body=b"", headers=None, no_length=False, cut_after=None,
                 chunk=65536, rate=None, delay=0.0, hold=None, stall=None):
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.status = status
        self.body = body
        self.headers = list(headers or [])
        self.no_length = no_length
        self.cut_after = cut_after
        self.chunk = chunk
        self.rate = rate
        self.delay = delay
        self.hold = hold
        self.stall = stall

    @classmethod
    def update(cls, obj, **options):
        """A reply carrying an update record (a dict, or JSON text) in transport form."""
        text = obj if isinstance(obj, (str, bytes)) else json.dumps(obj, ensure_ascii=False)
        return cls(body=encode_reply(text), **options)

    @classmethod
    def from_script(cls, d, base_dir="."):
        d = dict(d)
        if "update" in d:
            return cls.update(d.pop("update"), **d)
        if "body_text" in d:
            d["body"] = d.pop("body_text").encode("utf-8")
        if "body_file" in d:
            with open(os.path.join(base_dir, d.pop("body_file")), "rb") as f:
                d["body"] = f.read()
        return cls(**d)


class _Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self._serve()

    def do_POST(self):
        self._serve()

    def do_HEAD(self):
        self._serve()

    def _serve(self):
        srv = self.server.owner
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        reply, self._entry = srv._record_and_pick(self, body)
        if reply.hold is not None:
            reply.hold.wait()
        if reply.delay and not self._silent(reply.delay):
            self.close_connection = True
            return
        data = reply.body
        self.send_response(reply.status)
        for k, v in reply.headers:
            self.send_header(k, v)
        if reply.no_length:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command == "HEAD":
            return
        if reply.stall is not None:
            data = data[:reply.cut_after or 0]
            self.close_connection = True
        elif reply.cut_after is not None:
            data = data[:reply.cut_after]
            self.close_connection = True
        try:
            self._send_body(data, reply)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            return
        if reply.stall is not None:
            # Bounded: the connection goes at the end of the stall, or when the client leaves.
            self._silent(reply.stall)
        if reply.cut_after is not None or reply.stall is not None:
            # A body cut short: the client sees the connection end early.
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def _silent(self, seconds):
        """Says nothing for that long, or until the client leaves (then False); the log entry
        tells when the silence began and ended, and who ended it."""
        silence = {"from": time.time()}
        self._entry["silence"] = silence
        left = self._until_client_leaves(seconds)
        silence["until"] = time.time()
        # Written last: a reader that sees it sees the whole record.
        silence["ended_by"] = "client" if left else "server"
        return not left

    def _until_client_leaves(self, seconds):
        end = time.time() + seconds
        self.connection.settimeout(0.2)
        try:
            while time.time() < end:
                try:
                    if self.connection.recv(4096) == b"":
                        return True
                except socket.timeout:
                    continue
                except OSError:
                    return True
            return False
        finally:
            self.connection.settimeout(None)

    def _send_body(self, data, reply):
        if reply.rate is None:
            self.wfile.write(data)
            return
        step = max(1, reply.chunk)
        for i in range(0, len(data), step):
            self.wfile.write(data[i:i + step])
            self.wfile.flush()
            time.sleep(len(data[i:i + step]) / float(reply.rate))


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False

    def __init__(self, owner, port, context=None):
        self.owner = owner
        self.context = context
        super().__init__(("127.0.0.1", port), _Handler)

    def get_request(self):
        sock, addr = super().get_request()
        if self.context is None:
            return sock, addr
        try:
            sock.settimeout(30)
            tls = self.context.wrap_socket(sock, server_side=True)
            tls.settimeout(None)
            return tls, addr
        except (ssl.SSLError, OSError) as e:
            self.owner._tls_error(e)
            sock.close()
            raise OSError("handshake failed")

    def handle_error(self, request, client_address):
        pass


def make_ca_signed(folder, san="IP:127.0.0.1"):
    """A test root (ca.pem) and a server certificate it signed for san. Returns
    (ca_pem, cert, key). The root is trusted by nobody until a test installs it."""
    ca_key, ca = os.path.join(folder, "ca.key"), os.path.join(folder, "ca.pem")
    key, csr, cert = (os.path.join(folder, n) for n in ("srv.key", "srv.csr", "srv.pem"))
    ext = os.path.join(folder, "srv.ext")
    with open(ext, "w") as f:
        f.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=%s\n" % san)
    quiet = {"check": True, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Release Test Root", "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign", "-keyout", ca_key, "-out", ca], **quiet)
    subprocess.run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=release test server",
                    "-keyout", key, "-out", csr], **quiet)
    subprocess.run(["openssl", "x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial",
                    "-days", "2", "-extfile", ext, "-out", cert], **quiet)
    return ca, cert, key


def make_self_signed(folder):
    """A key and a self-signed certificate for 127.0.0.1, made with openssl."""
    key = os.path.join(folder, "key.pem")
    cert = os.path.join(folder, "cert.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class ReleaseServer:
    def __init__(self, https=False, port=0, on_request=None, cert=None):
        self._lock = threading.Lock()
        self._routes = {}
        self._served = {}
        self.requests = []
        self.tls_errors = []
        self.on_request = on_request
        self._servers = [_Server(self, port)]
        self._tmp = None
        if https:
            if cert is None:
                self._tmp = tempfile.mkdtemp(prefix="release-tls-")
                cert = make_self_signed(self._tmp)
            cert, key = cert
            ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            ctx.load_cert_chain(cert, key)
            self._servers.append(_Server(self, 0, ctx))
        self._threads = []

    # -- set-up -------------------------------------------------------------------------
    def route(self, path, replies):
        if isinstance(replies, Reply):
            replies = [replies]
        with self._lock:
            self._routes[path] = list(replies)
            self._served[path] = 0

    @property
    def port(self):
        return self._servers[0].server_address[1]

    @property
    def https_port(self):
        return self._servers[1].server_address[1] if len(self._servers) > 1 else None

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def https_url(self, path):
        return "https://127.0.0.1:%d%s" % (self.https_port, path)

    # -- life ---------------------------------------------------------------------------
    def start(self):
        for s in self._servers:
            t = threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
            t.start()
            self._threads.append(t)
        return self

    def stop(self):
        for s in self._servers:
            s.shutdown()
            s.server_close()
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # -- queries ------------------------------------------------------------------------
    def requests_for(self, path):
        with self._lock:
            return [r for r in self.requests if r["path"] == path]

    def wait_for_request(self, path, count=1, timeout=30.0):
        end = time.time() + timeout
        while time.time() < end:
            if len(self.requests_for(path)) >= count:
                return True
            time.sleep(0.05)
        return False

    def ended_silence(self, path, timeout=30.0):
        """The "silence" of the first request to path that had one, once it is over; None
        when none had one or it was not over within timeout seconds."""
        end = time.time() + timeout
        while True:
            with self._lock:
                silences = [r["silence"] for r in self.requests if r["path"] == path and "silence" in r]
            if silences and "ended_by" in silences[0]:
                return silences[0]
            if time.time() >= end:
                return None
            time.sleep(0.05)

    # -- internals ----------------------------------------------------------------------
    def _record_and_pick(self, handler, body):
        # "at": when the request was in, taken before it is answered.
        entry = {"method": handler.command, "path": handler.path, "at": time.time(),
                 "headers": list(handler.headers.items()), "body": body,
                 "tls": self._servers[0] is not handler.server}
        with self._lock:
            self.requests.append(entry)
            replies = self._routes.get(handler.path)
            if not replies:
                reply = Reply(status=404, body=b"not found")
            else:
                i = self._served[handler.path]
                self._served[handler.path] = i + 1
                reply = replies[min(i, len(replies) - 1)]
        if self.on_request:
            self.on_request(self)
        return reply, entry

    def _tls_error(self, e):
        with self._lock:
            self.tls_errors.append(str(e))
        if self.on_request:
            self.on_request(self)


def _main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    script_path, log_path = argv[1], argv[2]
    https = "--https" in argv
    port_file = argv[argv.index("--port-file") + 1] if "--port-file" in argv else None
    with open(script_path, encoding="utf-8") as f:
        script = json.load(f)
    base = os.path.dirname(os.path.abspath(script_path))

    def write_log(srv):
        log = {"requests": [dict(r, body=r["body"].decode("utf-8", "replace")) for r in srv.requests],
               "tls_errors": srv.tls_errors}
        tmp = log_path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(log, f, ensure_ascii=False, indent=1)
        os.replace(tmp, log_path)

    srv = ReleaseServer(https=https, on_request=write_log)
    for path, replies in script.items():
        if isinstance(replies, dict):
            replies = [replies]
        srv.route(path, [Reply.from_script(r, base) for r in replies])
    srv.start()
    write_log(srv)
    lines = "http %d\n" % srv.port + ("https %d\n" % srv.https_port if https else "")
    if port_file:
        with open(port_file, "w") as f:
            f.write(lines)
    sys.stdout.write(lines)
    sys.stdout.flush()
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass
    finally:
        srv.stop()
    return 0


if __name__ == "__main__":
    sys.exit(_main(sys.argv))
