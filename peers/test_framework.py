import http.client
import unittest

from peers.framework import Peer, Response, serve_bytes
from peers.services import PeerSet


def fetch(peer, method, path, body=None, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", peer.port, timeout=30)
    try:
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, dict(response.getheaders()), response.read()
    finally:
        connection.close()


class PeerFrameworkTest(unittest.TestCase):
    def test_records_exact_requests_and_routes_them(self):
        with Peer("t") as peer:
            peer.route("POST", r"/c/", lambda r: Response(200, b"ack:" + r.body))
            status, _, body = fetch(peer, "POST", "/c/?x=1", body=b"\x00\x01raw", headers={"X-Tw": "1"})
            self.assertEqual((status, body), (200, b"ack:\x00\x01raw"))
            status, _, _ = fetch(peer, "GET", "/unknown")
            self.assertEqual(status, 404)
            seen = peer.wait_for_requests(2)
            self.assertEqual(seen[0].body, b"\x00\x01raw")
            self.assertEqual(seen[0].query, {"x": ["1"]})
            self.assertEqual(seen[0].headers["x-tw"], "1")
            self.assertEqual(seen[1].path, "/unknown")

    def test_serves_byte_ranges_for_resumed_downloads(self):
        data = bytes(range(256)) * 4
        with Peer("files") as peer:
            peer.route("GET", r"/pkg\.exe", lambda r: serve_bytes(r, data))
            status, headers, body = fetch(peer, "GET", "/pkg.exe", headers={"Range": "bytes=1000-"})
            self.assertEqual(status, 206)
            self.assertEqual(body, data[1000:])
            self.assertEqual(headers["Content-Range"], "bytes 1000-1023/1024")
            status, _, _ = fetch(peer, "GET", "/pkg.exe", headers={"Range": "bytes=5000-"})
            self.assertEqual(status, 416)
            status, _, body = fetch(peer, "GET", "/pkg.exe")
            self.assertEqual((status, body), (200, data))

    def test_stops_by_itself_after_its_lifetime(self):
        peer = Peer("short", lifetime=0.2).start()
        self.assertTrue(peer.stopped.wait(30))
        with self.assertRaises(OSError):
            fetch(peer, "GET", "/")

    def test_peer_set_listens_on_the_deployment_ports(self):
        with PeerSet() as peers:
            self.assertEqual(peers["config"].port, 18080)
            self.assertEqual(peers["telemetry"].port, 18081)
            status, _, _ = fetch(peers["telemetry"], "GET", "/nothing")
            self.assertEqual(status, 404)
            self.assertIn("telemetry: 1 requests", peers.summary())


if __name__ == "__main__":
    unittest.main()
