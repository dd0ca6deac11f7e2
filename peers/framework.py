"""How a test starts a peer, stops it, and reads what it saw.

A peer is an HTTP server on 127.0.0.1 with a routing table. It records
every request it receives (method, path, query, headers, body) so a test can
check the exact bytes that crossed the wire, and it stops by itself after
its lifetime even if the test that started it dies.
"""
import http.server
import re
import sys
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
    target: str = ""  # the request line's target as sent: path and query
    time: float = field(default_factory=time.time)


@dataclass
class Response:
    status: int = 200
    body: bytes = b""
    headers: Dict[str, str] = field(default_factory=dict)
    # A silent server: accept, then say nothing for this long (bounded).
    stall_seconds: float = 0.0
    # Streams the body instead of `body` (slow, large or cut-off answers).
    body_writer: Optional[Callable[[object], None]] = None
    # Declared length; None means len(body), or no header with a body_writer.
    content_length: Optional[int] = None
    # Bytes written instead of any HTTP answer, then the connection closes.
    raw: Optional[bytes] = None
    close: bool = False


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


def _range_of(request: Request, size: int):
    match = re.fullmatch(r"bytes=(\d+)-(\d*)", request.headers.get("range", "").strip())
    if not match:
        return 0, size - 1, False
    start = int(match.group(1))
    end = min(int(match.group(2)) if match.group(2) else size - 1, size - 1)
    return start, end, True


def stream_range(request: Request, size: int, read: Callable[[int, int], bytes], rate: float = 0.0,
                 cut_after: int = -1, etag: str = "") -> Response:
    """Streams bytes [start, end] of a `size`-byte content (`read(start, end)`
    gives bytes [start, end)), honouring one byte range; `rate` bytes a second
    when set; the connection breaks after `cut_after` bytes when set, though
    the answer declared the whole rest. With `etag`, the answer carries it,
    and a range whose If-Range names another is ignored (the whole content)."""
    start, end, ranged = _range_of(request, size)
    if_range = request.headers.get("if-range", "")
    if ranged and if_range and if_range != etag:
        start, end, ranged = 0, size - 1, False
    if start >= size:
        return Response(416, b"", {"Content-Range": f"bytes */{size}"})
    headers = {"Accept-Ranges": "bytes", "Content-Type": "application/octet-stream"}
    if etag:
        headers["ETag"] = etag
    if ranged:
        headers["Content-Range"] = f"bytes {start}-{end}/{size}"

    def write(out):
        position, sent = start, 0
        chunk = max(1, int(rate / 10)) if rate else 64 * 1024
        while position <= end:
            if 0 <= cut_after <= sent:
                out.flush()
                raise ConnectionResetError("cut")
            take = min(chunk, end + 1 - position)
            if cut_after >= 0:
                take = min(take, cut_after - sent)
            out.write(read(position, position + take))
            out.flush()
            position += take
            sent += take
            if rate:
                time.sleep(take / rate)

    return Response(206 if ranged else 200, b"", headers, body_writer=write,
                    content_length=end + 1 - start, close=cut_after >= 0)


class _QuietServer(http.server.ThreadingHTTPServer):
    """Clients that hang up mid-answer are part of the tests, not errors."""

    def handle_error(self, request, client_address):
        if not isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            super().handle_error(request, client_address)


class Peer:
    """One service on loopback. Routes map (method, path regex) to a handler."""

    def __init__(self, name: str, port: int = 0, lifetime: float = 900.0):
        self.name = name
        self.requests: List[Request] = []
        self._routes: List[Tuple[str, re.Pattern, Route]] = []
        self._lock = threading.Lock()
        self._seen = threading.Condition(self._lock)
        self._lifetime = lifetime
        self._server = _QuietServer(("127.0.0.1", port), self._handler_class())
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

    def wait_for(self, condition: Callable[[List[Request]], bool], timeout: float = 60.0) -> bool:
        """Blocks until the requests so far meet `condition` (or the bound passes)."""
        with self._seen:
            return self._seen.wait_for(lambda: condition(self.requests), timeout)

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
                                  {k.lower(): v for k, v in self.headers.items()}, body, self.path)
                response = peer._dispatch(request)
                if response.stall_seconds:
                    time.sleep(min(response.stall_seconds, 120.0))
                    self.close_connection = True
                    return
                if response.raw is not None:
                    self.wfile.write(response.raw)
                    self.close_connection = True
                    return
                self.send_response(response.status)
                for key, value in response.headers.items():
                    self.send_header(key, value)
                length = response.content_length
                if length is None and response.body_writer is None:
                    length = len(response.body)
                if length is not None:
                    self.send_header("Content-Length", str(length))
                if response.close or length is None:
                    self.send_header("Connection", "close")
                    self.close_connection = True
                self.end_headers()
                if self.command == "HEAD":
                    return
                try:
                    if response.body_writer is not None:
                        response.body_writer(self.wfile)
                    else:
                        self.wfile.write(response.body)
                except (BrokenPipeError, ConnectionResetError):
                    self.close_connection = True

            do_GET = do_POST = do_HEAD = do_PUT = _handle

        return Handler
