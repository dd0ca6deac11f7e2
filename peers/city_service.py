"""The city lookup service on loopback (the deployment's city endpoints).

  POST /cityinfo                 28-byte request: checked (length, CRC,
                                 unscrambled identifier), answered with the
                                 scrambled JSON {"cityid": ...}
  GET  /_peer/city?cityid=C&mode=M   M: ok, refuse ("1#..."), silent (empty body)
"""
import json
import struct
import zlib

from peers.framework import Peer, Response

KEY = b"QmTzRvKdWpXaLcNs"


def scramble(data: bytes) -> bytes:
    return bytes(b ^ KEY[i % 16] for i, b in enumerate(data))


def answer(text: bytes) -> bytes:
    body = scramble(text)
    return struct.pack("<HI", 6 + len(body), zlib.crc32(body)) + body


class CityService(Peer):
    def __init__(self, port, lifetime=1800.0, shared=None):
        super().__init__(f"city-{port}", port, lifetime)
        self.state = shared if shared is not None else {"cityid": "1101", "mode": "ok", "identifiers": []}
        self.route("POST", r"/cityinfo", self._lookup)
        self.route("GET", r"/_peer/city", self._configure)

    def _configure(self, request):
        self.state["cityid"] = request.query.get("cityid", ["1101"])[0]
        self.state["mode"] = request.query.get("mode", ["ok"])[0]
        return Response(200, b"ok")

    def _lookup(self, request):
        body = request.body
        if len(body) != 28 or struct.unpack_from("<H", body)[0] != 28 or \
                struct.unpack_from("<I", body, 2)[0] != zlib.crc32(body[6:]):
            return Response(400, b"")
        plain = scramble(body[6:])
        self.state["identifiers"].append(plain[2:18].decode("latin-1"))
        mode = self.state["mode"]
        if mode == "silent":
            return Response(200, b"")
        if mode == "refuse":
            return Response(200, answer(b"1#no city"))
        return Response(200, answer(json.dumps({"cityid": self.state["cityid"]}).encode()))
