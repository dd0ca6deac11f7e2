"""The file server and the two proxies the network tests download through.

File server scenarios (path /<scenario>/<numbers...>/<anything>):
  file/SIZE            the pattern bytes, HEAD and single byte ranges (206/416)
  status/CODE          that status with the body "error page CODE"
  nolength/SIZE        no Content-Length, neither on HEAD nor on GET
  redirect/SIZE        302 to file/SIZE with the same tail
  loop                 302 to itself, for ever
  trickle/SIZE/RATE    RATE bytes a second, ranges honoured; ETag as drop's
  drop/SIZE/EVERY      each answer declares the rest but breaks after EVERY bytes;
                       ETag "drop-SIZE-<version>" (If-Range honoured)
  portal/SIZE          a sign-in portal: 200, text/html, its own page
  norange/SIZE         ignores Range: always 200 and the whole body
  cutfirst-norange/SIZE/EVERY  ignores Range; the first GET breaks after EVERY bytes
  short/SIZE/DECLARED  declares DECLARED bytes, sends SIZE, closes
  silent/SECONDS       accepts and says nothing, then closes
  garbage              an answer whose header lines are garbage
  echo                 POST: answers "echo:" + the body
  empty                200 with no body
Control: GET /_peer/requests?prefix=P (JSON list of requests under P),
GET /_peer/version?value=V (the drop scenario's files are now version V: a new ETag),
GET /_peer/proxied?kind=http|socks (JSON list of what went through a proxy).
"""
import http.client
import json
import re
import select
import socket
import socketserver
import struct
import threading
import time
from typing import List

from peers.framework import Peer, Request, Response, stream_range
from peers.city_service import CityService
from peers.config_service import ConfigService
from peers.telemetry_peer import TelemetryPeer

FILE_PORT, HTTP_PROXY_PORT, SOCKS_PROXY_PORT, TELEMETRY_TEST_PORT = 18090, 18091, 18092, 18096


_BASE = bytes((j * 31) & 0xFF for j in range(2048))
# Block k of 2048 bytes is the base block with k added to every byte.
_BLOCKS = [_BASE.translate(bytes((b + k) & 0xFF for b in range(256))) for k in range(256)]


def pattern(start: int, end: int) -> bytes:
    """Bytes [start, end) of the content every scenario serves: byte i is (i*31 + (i >> 11)) & 0xFF."""
    parts = []
    position = start
    while position < end:
        block, offset = divmod(position, 2048)
        take = min(2048 - offset, end - position)
        parts.append(_BLOCKS[block & 0xFF][offset:offset + take])
        position += take
    return b"".join(parts)


class FileServer(Peer):
    def __init__(self, port=FILE_PORT, lifetime=1800.0, proxies=None):
        super().__init__("files", port, lifetime)
        self.proxies = proxies or {}
        self.version = "1"
        for method in ("GET", "HEAD", "POST"):
            self._routes += [(method, re.compile(p), h) for p, h in self._table().items()]

    def _table(self):
        return {
            r"/file/(\d+)/.*": lambda r: stream_range(r, self._n(r, 1), pattern),
            r"/status/(\d+)/.*": lambda r: Response(self._n(r, 1), f"error page {self._n(r, 1)}".encode()),
            r"/nolength/(\d+)/.*": lambda r: self._nolength(r),
            r"/redirect/(\d+)/(.*)": lambda r: Response(302, b"", {"Location": f"/file/{self._n(r, 1)}/"
                                                                  + r.path.split("/", 3)[3]}),
            r"/loop/.*": lambda r: Response(302, b"", {"Location": r.path}),
            r"/trickle/(\d+)/(\d+)/.*": lambda r: stream_range(r, self._n(r, 1), pattern, rate=float(self._n(r, 2)),
                                                              etag=f'"trickle-{self._n(r, 1)}-{self.version}"'),
            r"/drop/(\d+)/(\d+)/.*": lambda r: stream_range(r, self._n(r, 1), pattern, cut_after=self._n(r, 2),
                                                           etag=f'"drop-{self._n(r, 1)}-{self.version}"'),
            r"/portal/.*": lambda r: Response(200, b"<html><body>Sign in to use this network</body></html>",
                                              {"Content-Type": "text/html; charset=utf-8"}),
            r"/_peer/version": lambda r: self._set_version(r.query.get("value", ["1"])[0]),
            r"/norange/(\d+)/.*": lambda r: Response(200, pattern(0, self._n(r, 1))),
            r"/cutfirst-norange/(\d+)/(\d+)/.*": lambda r: self._cut_first_ignoring_ranges(r),
            r"/short/(\d+)/(\d+)/.*": lambda r: Response(200, pattern(0, self._n(r, 1)),
                                                         content_length=self._n(r, 2), close=True),
            r"/silent/(\d+)/.*": lambda r: Response(stall_seconds=float(self._n(r, 1))),
            r"/unavailable-first/(\d+)/.*": lambda r: self._unavailable_first(r),
            r"/garbage/.*": lambda r: Response(raw=b"HTTP/1.1 200 OK\r\nContent-Length: zz\x01\xff\r\n\x00garbage"
                                                   b"\r\n\r\nbody"),
            r"/echo/.*": lambda r: Response(200, b"echo:" + r.body),
            r"/empty/.*": lambda r: Response(200, b""),
            r"/_peer/requests": lambda r: self._requests_under(r.query.get("prefix", ["/"])[0]),
            r"/_peer/proxied": lambda r: self._proxied(r.query.get("kind", ["http"])[0]),
        }

    def _set_version(self, value):
        self.version = value
        return Response(200, b"ok")

    @staticmethod
    def _n(request: Request, index: int) -> int:
        return int(request.path.split("/")[index + 1])

    def _cut_first_ignoring_ranges(self, request):
        """Ignores Range; the first GET of a path breaks after EVERY bytes."""
        size, every = self._n(request, 1), self._n(request, 2)
        earlier = [q for q in list(self.requests)[:-1] if q.path == request.path and q.method == "GET"]
        cut = every if request.method == "GET" and not earlier else -1
        plain = Request(request.method, request.path, {}, {}, b"")
        return stream_range(plain, size, pattern, cut_after=cut)

    def _unavailable_first(self, request):
        """The first GET of a path is a 503 with an error page; later ones serve the file."""
        earlier = [q for q in list(self.requests)[:-1] if q.path == request.path and q.method == "GET"]
        if request.method == "GET" and not earlier:
            return Response(503, b"<html>Service Unavailable</html>")
        return stream_range(request, self._n(request, 1), pattern)

    def _nolength(self, request):
        data = pattern(0, self._n(request, 1))
        return Response(200, b"", {"Content-Type": "application/octet-stream"},
                        body_writer=lambda out: out.write(data))

    def _requests_under(self, prefix):
        seen = [{"method": q.method, "path": q.path, "target": q.target, "range": q.headers.get("range", ""),
                 "if-range": q.headers.get("if-range", ""),
                 "user-agent": q.headers.get("user-agent", ""), "accept": q.headers.get("accept", ""),
                 "content-type": q.headers.get("content-type", ""), "body-length": len(q.body)}
                for q in list(self.requests) if q.path.startswith(prefix)]
        return Response(200, json.dumps(seen).encode(), {"Content-Type": "application/json"})

    def _proxied(self, kind):
        proxy = self.proxies.get(kind)
        return Response(200, json.dumps(proxy.seen if proxy else []).encode(), {"Content-Type": "application/json"})


def reachable(host: str) -> bool:
    """The proxies reach loopback, and resolve the test network's names
    (under the reserved ".invalid" domain, which the machine itself never
    resolves) to it: a network where only the proxy reaches the services."""
    return host in ("127.0.0.1", "localhost") or host.endswith(".invalid")


class HttpProxy(Peer):
    """A forward proxy for http:// targets on loopback; records each request line."""

    def __init__(self, port=HTTP_PROXY_PORT, lifetime=1800.0):
        super().__init__("http-proxy", port, lifetime)
        self.seen: List[dict] = []
        for method in ("GET", "HEAD", "POST"):
            self.route(method, r".*", self._forward)

    def _dispatch(self, request):
        return self._forward(request)

    def _forward(self, request: Request) -> Response:
        target = request.headers.get("x-target-url", "")
        self.seen.append({"target": target, "auth": request.headers.get("proxy-authorization", "")})
        match = re.fullmatch(r"http://(127\.0\.0\.1|localhost|[a-z0-9.-]+\.invalid):(\d+)(/.*)", target)
        if not match:
            return Response(502, b"proxy: loopback targets only")
        connection = http.client.HTTPConnection("127.0.0.1", int(match.group(2)), timeout=60)
        try:
            headers = {k: v for k, v in request.headers.items()
                       if k not in ("proxy-authorization", "proxy-connection", "x-target-url", "host")}
            connection.request(request.method, match.group(3), body=request.body or None, headers=headers)
            answer = connection.getresponse()
            body = answer.read()
            kept = {k: v for k, v in answer.getheaders() if k.lower() not in ("content-length", "connection",
                                                                             "transfer-encoding")}
            return Response(answer.status, body, kept)
        finally:
            connection.close()

    def _handler_class(self):
        base = super()._handler_class()

        class ProxyHandler(base):
            def parse_request(self):
                ok = super().parse_request()
                if ok and self.path.startswith("http://"):
                    self.headers["X-Target-Url"] = self.path
                    self.path = "/" + self.path.split("/", 3)[3] if self.path.count("/") >= 3 else "/"
                return ok

        return ProxyHandler


class SocksProxy:
    """SOCKS5 (no authentication or user/password) relaying to loopback only; records each CONNECT."""

    def __init__(self, port=SOCKS_PROXY_PORT):
        self.seen: List[dict] = []
        proxy = self

        class Handler(socketserver.BaseRequestHandler):
            def handle(self):
                try:
                    proxy._serve(self.request)
                except (OSError, struct.error):
                    pass

        self._server = socketserver.ThreadingTCPServer(("127.0.0.1", port), Handler, bind_and_activate=False)
        self._server.allow_reuse_address = True
        self._server.daemon_threads = True
        self._server.server_bind()
        self._server.server_activate()
        self._thread = None

    def start(self):
        self._thread = threading.Thread(target=self._server.serve_forever, daemon=True)
        self._thread.start()
        return self

    def stop(self):
        self._server.shutdown()
        self._server.server_close()

    @staticmethod
    def _exactly(sock, count):
        data = b""
        while len(data) < count:
            chunk = sock.recv(count - len(data))
            if not chunk:
                raise OSError("closed")
            data += chunk
        return data

    def _serve(self, sock):
        sock.settimeout(60)
        version, count = self._exactly(sock, 2)
        methods = self._exactly(sock, count)
        user = ""
        if 2 in methods:
            sock.sendall(b"\x05\x02")
            _, ulen = self._exactly(sock, 2)
            user = self._exactly(sock, ulen).decode("latin-1")
            plen = self._exactly(sock, 1)[0]
            password = self._exactly(sock, plen).decode("latin-1")
            user = f"{user}:{password}"
            sock.sendall(b"\x01\x00")
        else:
            sock.sendall(b"\x05\x00")
        _, command, _, kind = self._exactly(sock, 4)
        if kind == 1:
            host = socket.inet_ntoa(self._exactly(sock, 4))
        elif kind == 3:
            host = self._exactly(sock, self._exactly(sock, 1)[0]).decode()
        else:
            raise OSError("address type")
        port = struct.unpack(">H", self._exactly(sock, 2))[0]
        self.seen.append({"target": f"{host}:{port}", "auth": user})
        if command != 1 or not reachable(host):
            sock.sendall(b"\x05\x02\x00\x01\x00\x00\x00\x00\x00\x00")
            return
        upstream = socket.create_connection(("127.0.0.1", port), timeout=60)
        sock.sendall(b"\x05\x00\x00\x01\x7f\x00\x00\x01" + struct.pack(">H", port))
        with upstream:
            sockets = [sock, upstream]
            while True:
                readable, _, _ = select.select(sockets, [], [], 60)
                if not readable:
                    return
                for source in readable:
                    data = source.recv(65536)
                    if not data:
                        return
                    (upstream if source is sock else sock).sendall(data)


class NetPeers:
    """The file server, both proxies, a telemetry service and the
    configuration service for the Windows tests, started and stopped together."""

    def __init__(self, lifetime=1800.0, config_port=18080):
        self.telemetry = TelemetryPeer(TELEMETRY_TEST_PORT, lifetime)
        # On the local deployment's port: the installer's code asks there.
        self.config = ConfigService(config_port, lifetime)
        # The deployment's city endpoints: two ports, one shared state.
        self.cities = [CityService(18082, lifetime)]
        self.cities.append(CityService(18083, lifetime, shared=self.cities[0].state))
        self.http_proxy = HttpProxy(lifetime=lifetime)
        self.socks_proxy = SocksProxy()
        self.files = FileServer(lifetime=lifetime, proxies={"http": self.http_proxy, "socks": self.socks_proxy})

    def __enter__(self):
        self.telemetry.start()
        self.config.start()
        for city in self.cities:
            city.start()
        self.files.start()
        self.http_proxy.start()
        self.socks_proxy.start()
        return self

    def __exit__(self, *exc):
        self.telemetry.stop()
        self.config.stop()
        for city in self.cities:
            city.stop()
        self.files.stop()
        self.http_proxy.stop()
        self.socks_proxy.stop()
        return False
