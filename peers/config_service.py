"""The configuration service on loopback: per-channel install configurations
(wrapped with the test key as the real service does), chosen by the test.

  GET /lminstall3/<cid>.json?time=<t>   the document set for <cid>, or 404
  GET /_peer/config?cid=N&doc=NAME      serve document NAME for channel N
"""
import base64

from peers.config_tool import load_private_key, wrap_configuration
from peers.framework import Peer, Response

PACKAGE = (b'<dlfile url="http://127.0.0.1:18090/file/1000/pkg" md5="0" moduletype="exe" '
           b'path="%TEMP%\\\\p.exe" downloadtype="http"/>')
GOOD = (b'<root><check><item id="1" name="any" value=""/></check><install><company id="1029" version="3">'
        b'<tryno id="7" version="2">' + PACKAGE + b'</tryno></company></install><condition/></root>')


def documents(key) -> dict:
    """Answers by name: (status, body)."""
    return {
        "good": (200, wrap_configuration(GOOD, key).encode()),
        "not-a-configuration": (200, wrap_configuration(b"<Root/>", key).encode()),
        "garbage": (200, b"%%%% not base64 at all %%%%"),
        "truncated": (200, wrap_configuration(GOOD, key).encode()[:-40]),
        "empty": (200, b""),
        "enormous": (200, base64.b64encode(b"\xff" * 128) * 40000),
        "missing": (404, b"no such channel"),
    }


class ConfigService(Peer):
    def __init__(self, port, lifetime=1800.0):
        super().__init__("config", port, lifetime)
        self._documents = documents(load_private_key())
        self._served = {}
        self.route("GET", r"/lminstall3/(\d+)\.json", self._configuration)
        self.route("GET", r"/_peer/config", self._choose)

    def _choose(self, request):
        name = request.query.get("doc", [""])[0]
        if name not in self._documents:
            return Response(400, b"unknown document")
        self._served[int(request.query.get("cid", ["0"])[0])] = name
        return Response(200, b"ok")

    def _configuration(self, request):
        cid = int(request.path.split("/")[-1].split(".")[0])
        status, body = self._documents[self._served.get(cid, "missing")]
        return Response(status, body)
