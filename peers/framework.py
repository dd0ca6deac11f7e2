"""How a test starts a peer, stops it, and reads what it saw.

A peer is an HTTP server on 127.0.0.1 with a routing table. It records
every request it receives (method, path, query, headers, body) so a test can
check the exact bytes that crossed the wire, and it stops by itself after
its lifetime even if the test that started it dies.
"""
import http.server
import re
import threading
import time
from dataclasses import dataclass, field
from typing import Callable, Dict, List, Optional, Tuple
from urllib.parse import urlsplit, parse_qs


@dataclass
class Request:
    method: str
    path: str
    query: Dict[str, List[str]]
    headers: Dict[str, str]
    body: bytes
    time: float = field(default_factory=time.time)


@dataclass
class Response:
    status: int = 200
    body: bytes = b""
    headers: Dict[str, str] = field(default_factory=dict)
    # A silent server: accept, then say nothing for this long (bounded).
    stall_seconds: float = 0.0


Route = Callable[[Request], Response]


def serve_bytes(request: Request, data: bytes, content_type="application/octet-stream") -> Response:
    """Serves `data` honouring a single byte range, as the resumable downloader needs."""
    headers = {"Content-Type": content_type, "Accept-Ranges": "bytes"}
    wanted = request.headers.get("range", "")
    match = re.fullmatch(r"bytes=(\d+)-(\d*)", wanted.strip())
    if not match:
        return Response(200, data, headers)
    start = int(match.group(1))
    end = int(match.group(2)) if match.group(2) else len(data) - 1
    if start >= len(data) or end < start:
        headers["Content-Range"] = f"bytes */{len(data)}"
        return Response(416, b"", headers)
    end = min(end, len(data) - 1)
    headers["Content-Range"] = f"bytes {start}-{end}/{len(data)}"
    return Response(206, data[start:end + 1], headers)


class Peer:
    """One service on loopback. Routes map (method, path regex) to a handler."""

    def __init__(self, name: str, port: int = 0, lifetime: float = 900.0):
        self.name = name
        self.requests: List[Request] = []
        self._routes: List[Tuple[str, re.Pattern, Route]] = []
        self._lock = threading.Lock()
        self._seen = threading.Condition(self._lock)
        self._lifetime = lifetime
        self._server = http.server.ThreadingHTTPServer(("127.0.0.1", port), self._handler_class())
        self._server.daemon_threads = True
        self._thread: Optional[threading.Thread] = None
        self._timer: Optional[threading.Timer] = None
        self.stopped = threading.Event()

    @property
    def port(self) -> int:
        return self._server.server_address[1]

    @property
    def base_url(self) -> str:
        return f"http://127.0.0.1:{self.port}"

    def route(self, method: str, path_pattern: str, handler: Route):
        self._routes.append((method.upper(), re.compile(path_pattern), handler))
        return self

    def start(self):
        self._thread = threading.Thread(target=self._server.serve_forever, name=f"peer-{self.name}", daemon=True)
        self._thread.start()
        self._timer = threading.Timer(self._lifetime, self.stop)
        self._timer.daemon = True
        self._timer.start()
        return self

    def stop(self):
        if self._timer is not None:
            self._timer.cancel()
        if self._thread is not None:
            self._server.shutdown()
            self._thread = None
        self._server.server_close()
        self.stopped.set()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False

    def wait_for_requests(self, count: int, timeout: float = 60.0) -> List[Request]:
        """Blocks until `count` requests arrived (or the bound passes); returns them."""
        with self._seen:
            self._seen.wait_for(lambda: len(self.requests) >= count, timeout)
            return list(self.requests)

    def _dispatch(self, request: Request) -> Response:
        with self._seen:
            self.requests.append(request)
            self._seen.notify_all()
        for method, pattern, handler in self._routes:
            if method == request.method and pattern.fullmatch(request.path):
                return handler(request)
        return Response(404, b"not found")

    def _handler_class(self):
        peer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def _handle(self):
                length = int(self.headers.get("Content-Length") or 0)
                body = self.rfile.read(length) if length else b""
                parts = urlsplit(self.path)
                request = Request(self.command, parts.path, parse_qs(parts.query),
                                  {k.lower(): v for k, v in self.headers.items()}, body)
                response = peer._dispatch(request)
                if response.stall_seconds:
                    time.sleep(min(response.stall_seconds, 120.0))
                self.send_response(response.status)
                for key, value in response.headers.items():
                    self.send_header(key, value)
                self.send_header("Content-Length", str(len(response.body)))
                self.end_headers()
                if self.command != "HEAD":
                    self.wfile.write(response.body)

            do_GET = do_POST = do_HEAD = do_PUT = _handle

        return Handler
