import http.client
import json
import socket
import struct
import unittest

from peers.net_peer import FILE_PORT, NetPeers, pattern


def fetch(method, path, headers=None, port=FILE_PORT, body=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        connection.request(method, path, body=body, headers=headers or {})
        answer = connection.getresponse()
        return answer.status, {k.lower(): v for k, v in answer.getheaders()}, answer.read()
    finally:
        connection.close()


class NetPeerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.peers = NetPeers(lifetime=300).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.peers.__exit__(None, None, None)

    def test_pattern_is_the_documented_formula(self):
        self.assertEqual(pattern(4090, 4100), bytes(((i * 31) + (i >> 11)) & 0xFF for i in range(4090, 4100)))

    def test_files_ranges_and_the_request_log(self):
        status, headers, body = fetch("GET", "/file/5000/t1/a.bin", {"Range": "bytes=4000-"})
        self.assertEqual((status, headers["content-range"], body), (206, "bytes 4000-4999/5000", pattern(4000, 5000)))
        status, headers, body = fetch("HEAD", "/file/5000/t1/a.bin")
        self.assertEqual((status, headers["content-length"], body), (200, "5000", b""))
        status, _, body = fetch("GET", "/_peer/requests?prefix=/file/5000/t1/")
        seen = json.loads(body)
        self.assertEqual([(s["method"], s["range"]) for s in seen], [("GET", "bytes=4000-"), ("HEAD", "")])

    def test_failure_scenarios(self):
        self.assertEqual(fetch("GET", "/status/404/x")[0], 404)
        self.assertEqual(fetch("GET", "/norange/100/x", {"Range": "bytes=50-"})[:3:2], (200, pattern(0, 100)))
        self.assertNotIn("content-length", fetch("HEAD", "/nolength/100/x")[1])
        self.assertEqual(fetch("GET", "/redirect/10/t/x")[0], 302)
        with self.assertRaises(http.client.IncompleteRead):
            fetch("GET", "/drop/1000/300/x")

    def test_http_proxy_forwards_and_records(self):
        connection = http.client.HTTPConnection("127.0.0.1", 18091, timeout=30)
        connection.request("GET", f"http://127.0.0.1:{FILE_PORT}/file/10/viaproxy",
                           headers={"Proxy-Authorization": "Basic dTpw"})
        answer = connection.getresponse()
        self.assertEqual((answer.status, answer.read()), (200, pattern(0, 10)))
        connection.close()
        seen = json.loads(fetch("GET", "/_peer/proxied?kind=http")[2])
        self.assertIn({"target": f"http://127.0.0.1:{FILE_PORT}/file/10/viaproxy", "auth": "Basic dTpw"}, seen)

    def test_socks_proxy_relays_and_records(self):
        with socket.create_connection(("127.0.0.1", 18092), timeout=30) as sock:
            sock.sendall(b"\x05\x01\x00")
            self.assertEqual(sock.recv(2), b"\x05\x00")
            sock.sendall(b"\x05\x01\x00\x01" + socket.inet_aton("127.0.0.1") + struct.pack(">H", FILE_PORT))
            self.assertEqual(sock.recv(10)[:2], b"\x05\x00")
            sock.sendall(b"GET /file/8/socks HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n")
            data = b""
            while chunk := sock.recv(4096):
                data += chunk
        self.assertTrue(data.endswith(pattern(0, 8)))
        seen = json.loads(fetch("GET", "/_peer/proxied?kind=socks")[2])
        self.assertIn({"target": f"127.0.0.1:{FILE_PORT}", "auth": ""}, seen)


if __name__ == "__main__":
    unittest.main()
