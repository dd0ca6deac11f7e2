import base64
import http.client
import http.server
import os
import socket
import struct
import threading
import unittest

from peers.real_proxies import Dante, Tinyproxy


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Origin:
    """The web server behind the proxies; records what actually reached it."""

    def __init__(self):
        self.requests = []
        origin = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                origin.requests.append((self.path, dict(self.headers)))
                body = f"origin:{self.path}".encode()
                self.send_response(200)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


def through_http_proxy(proxy_port, url, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", proxy_port, timeout=30)
    try:
        connection.request("GET", url, headers=headers or {})
        answer = connection.getresponse()
        return answer.status, {k.lower(): v for k, v in answer.getheaders()}, answer.read()
    finally:
        connection.close()


def exactly(sock, count):
    data = b""
    while len(data) < count:
        chunk = sock.recv(count - len(data))
        if not chunk:
            raise OSError(f"closed after {data!r}")
        data += chunk
    return data


def socks5_connect(proxy_port, address, port):
    """The no-authentication handshake and a CONNECT by IPv4 address; returns the socket and the reply code."""
    sock = socket.create_connection(("127.0.0.1", proxy_port), timeout=30)
    sock.sendall(b"\x05\x01\x00")
    if exactly(sock, 2) != b"\x05\x00":
        raise AssertionError("the proxy refused no-authentication")
    sock.sendall(b"\x05\x01\x00\x01" + socket.inet_aton(address) + struct.pack(">H", port))
    version, code, _, kind = exactly(sock, 4)
    if code == 0:
        exactly(sock, {1: 4, 4: 16}[kind] + 2)
    return sock, code


class RealProxiesTest(unittest.TestCase):
    def setUp(self):
        self.origin = Origin()
        self.addCleanup(self.origin.close)

    def test_tinyproxy_relays_the_absolute_url(self):
        url = f"http://127.0.0.1:{self.origin.port}/lminstall3/1029.json?time=1700000000"
        with Tinyproxy(free_port()) as proxy:
            status, _, body = through_http_proxy(proxy.port, url)
            self.assertEqual((status, body), (200, b"origin:/lminstall3/1029.json?time=1700000000"))
            self.assertEqual(proxy.wait_seen(1), [{"target": url, "auth": ""}])
        self.assertNotIn("via", {k.lower() for k in self.origin.requests[0][1]})

    def test_tinyproxy_basic_auth(self):
        base = f"http://127.0.0.1:{self.origin.port}"

        def credentials(user, password):
            return {"Proxy-Authorization": "Basic " + base64.b64encode(f"{user}:{password}".encode()).decode()}

        with Tinyproxy(free_port(), user="tw", password="s3cret") as proxy:
            status, headers, _ = through_http_proxy(proxy.port, base + "/none")
            self.assertEqual(status, 407)
            self.assertIn("basic", headers.get("proxy-authenticate", "").lower())
            status, _, _ = through_http_proxy(proxy.port, base + "/wrong", credentials("tw", "nope"))
            self.assertIn(status, (401, 407))
            status, _, body = through_http_proxy(proxy.port, base + "/right", credentials("tw", "s3cret"))
            self.assertEqual((status, body), (200, b"origin:/right"))
            self.assertEqual(proxy.wait_seen(1), [{"target": base + "/right", "auth": "tw"}])
        self.assertEqual([path for path, _ in self.origin.requests], ["/right"])
        self.assertNotIn("proxy-authorization", {k.lower() for k in self.origin.requests[0][1]})

    def test_dante_relays_a_socks5_connect_to_loopback_only(self):
        with Dante(free_port()) as proxy:
            workdir = proxy._dir
            # Outside loopback: 2 is "not allowed by ruleset", not a failed attempt.
            sock, code = socks5_connect(proxy.port, "192.0.2.1", 80)
            sock.close()
            self.assertEqual(code, 2)
            sock, code = socks5_connect(proxy.port, "127.0.0.1", self.origin.port)
            with sock:
                self.assertEqual(code, 0)
                sock.sendall(b"GET /over/socks HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n")
                answer = b""
                while chunk := sock.recv(65536):
                    answer += chunk
            self.assertTrue(answer.startswith(b"HTTP/1.0 200"), answer[:80])
            self.assertTrue(answer.endswith(b"origin:/over/socks"), answer[-80:])
            self.assertEqual(proxy.wait_seen(1), [{"target": f"127.0.0.1:{self.origin.port}", "auth": ""}])
        with self.assertRaises(OSError):
            socket.create_connection(("127.0.0.1", proxy.port), timeout=2).close()
        self.assertFalse(os.path.exists(workdir))


if __name__ == "__main__":
    unittest.main()
