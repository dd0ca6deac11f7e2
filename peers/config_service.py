"""The configuration service on loopback: per-channel install configurations
(wrapped with the test key as the real service does), chosen by the test.

  GET /lminstall3/<cid>.json?time=<t>   the document set for <cid>, or 404
  GET /_peer/config?cid=N&doc=NAME      serve document NAME for channel N
  GET /lminstall3/unioncfg.dat?time=<t> the union file (".tmp" container)
  GET /installrcmd/TwInstallRcmdCfg.dat the recommendation file (".tmp" container)
  GET /_peer/container?name=unioncfg|rcmd&state=good|empty|truncated|garbage
  POST /_peer/container?name=...      the posted XML becomes that container's document
  POST /_peer/config?cid=N              the posted XML, wrapped, becomes channel N's document
  POST /_peer/file?name=X / GET /files/X   package bytes a configuration can point at
  GET /defend/o1/jcqgx.ini              the self-update INI (404 until a test posts one)
  GET /update/newer.exe                 the newer copy (posted by a test)
  POST /_peer/update?part=ini|exe       set the INI text or the newer copy's bytes
Every request is recorded (Peer.requests).
"""
import base64

from peers.config_tool import load_private_key, mask_container, wrap_configuration
from peers.framework import Peer, Response

PACKAGE = (b'<dlfile url="http://127.0.0.1:18090/file/1000/pkg" md5="0" moduletype="exe" '
           b'path="%TEMP%\\\\p.exe" downloadtype="http"/>')
GOOD = (b'<root><check><item id="1" name="any" value=""/></check><install><company id="1029" version="3">'
        b'<tryno id="7" version="2">' + PACKAGE + b'</tryno></company></install><condition/></root>')


UNION = (b'<root><cybercafe><soft id="1" name="a cafe client">'
         b'<process name="no-such-cafe-client.exe"/></soft></cybercafe></root>')
RCMD = b"<root/>"


def containers(document: bytes) -> dict:
    masked = mask_container(document)
    return {"good": masked, "empty": b"", "truncated": masked[:len(masked) // 2], "garbage": b"\x00garbage\xff"}


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
        self.route("POST", r"/_peer/config", self._set_document)
        self._key = load_private_key()
        self._files = {}
        self.route("POST", r"/_peer/file", self._set_file)
        self.route("GET", r"/files/[^/]+", lambda r: Response(200, self._files[r.path.split("/")[-1]])
                   if r.path.split("/")[-1] in self._files else Response(404, b""))
        self._containers = {"unioncfg": containers(UNION), "rcmd": containers(RCMD)}
        self._container_state = {"unioncfg": "good", "rcmd": "good"}
        self.route("GET", r"/lminstall3/unioncfg\.dat", lambda r: self._container("unioncfg"))
        self.route("GET", r"/installrcmd/TwInstallRcmdCfg\.dat", lambda r: self._container("rcmd"))
        self.route("GET", r"/_peer/container", self._choose_container)
        self.route("POST", r"/_peer/container", self._set_container)
        self._update = {}
        self.route("GET", r"/defend/o1/jcqgx\.ini", lambda r: self._update_part("ini"))
        self.route("GET", r"/update/newer\.exe", lambda r: self._update_part("exe"))
        self.route("POST", r"/_peer/update", self._set_update)

    def serve_package_channel(self, cid: int, tid: int, name: str, data: bytes, path_pattern: str,
                              moduletype: str = "exe", md5: str = None, attributes: str = ""):
        """A channel whose one trial node installs one package served here
        (`md5` overrides the package's digest; `attributes` go on its entry)."""
        import hashlib
        self._files[name] = data
        digest = md5 or hashlib.md5(data).hexdigest().upper()
        document = (f'<root><check/><install><company id="{cid}" version="3"><tryno id="{tid}" version="2">'
                    f'<dlfile url="http://127.0.0.1:{self.port}/files/{name}" md5="{digest}" '
                    f'moduletype="{moduletype}" path="{path_pattern}" downloadtype="http" {attributes}/>'
                    f'</tryno></company></install><condition/></root>').encode()
        self._documents[f"posted-{cid}"] = (200, wrap_configuration(document, self._key).encode())
        self._served[cid] = f"posted-{cid}"

    def serve_document(self, cid: int, name: str):
        """One of the prepared answers (good, garbage, truncated, empty, missing, ...) for a channel."""
        self._served[cid] = name

    def forget_file(self, name: str):
        self._files.pop(name, None)

    def set_container_state(self, name: str, state: str):
        self._container_state[name] = state

    def _update_part(self, part):
        return Response(200, self._update[part]) if part in self._update else Response(404, b"")

    def _set_update(self, request):
        part = request.query.get("part", [""])[0]
        if part not in ("ini", "exe"):
            return Response(400, b"unknown part")
        if request.body:
            self._update[part] = request.body
        else:
            self._update.pop(part, None)
        return Response(200, b"ok")

    def _container(self, name):
        return Response(200, self._containers[name][self._container_state[name]])

    def _set_container(self, request):
        """The posted XML, masked, becomes the container's "good" state."""
        name = request.query.get("name", [""])[0]
        if name not in self._containers:
            return Response(400, b"unknown container")
        self._containers[name] = containers(request.body)
        self._container_state[name] = "good"
        return Response(200, b"ok")

    def _choose_container(self, request):
        name = request.query.get("name", [""])[0]
        state = request.query.get("state", ["good"])[0]
        if name not in self._containers or state not in self._containers[name]:
            return Response(400, b"unknown container")
        self._container_state[name] = state
        return Response(200, b"ok")

    def _set_document(self, request):
        cid = int(request.query.get("cid", ["0"])[0])
        name = f"posted-{cid}"
        self._documents[name] = (200, wrap_configuration(request.body, self._key).encode())
        self._served[cid] = name
        return Response(200, b"ok")

    def _set_file(self, request):
        self._files[request.query.get("name", [""])[0]] = request.body
        return Response(200, b"ok")

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
