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
                                      (ranges honoured; faults set by set_file_fault)
  GET /defend/o1/jcqgx.ini              the self-update INI (404 until a test posts one)
  GET /update/newer.exe                 the newer copy (posted by a test)
  POST /_peer/update?part=ini|exe[&form=signed|plain|forged]
                                      set the INI text or the newer copy's bytes; the INI
                                      is served signed with the test key (the default), as
                                      posted, or signed with another key
  POST /_peer/silent?part=config|unioncfg|rcmd|update&seconds=N
                                      that part accepts and never answers (no part: all answer)
Every request is recorded (Peer.requests).
"""
import base64
import hashlib
import time
from dataclasses import dataclass

from operators.config_tool import FORGED_KEY, load_private_key, mask_container, wrap_configuration
from peers.framework import Peer, Request, Response, stream_range

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


@dataclass
class FileFault:
    """How one package answer goes wrong: `rate` bytes a second; the
    connection broken after `cut_after` bytes; or `stall` seconds of silence."""
    rate: float = 0.0
    cut_after: int = -1
    stall: float = 0.0


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
        self._file_faults = {}
        self._file_gets = {}
        self._file_etags = {}
        self._files_without_ranges = set()
        # A sign-in portal between the installer and the services: every
        # package address answers with its page (status 200, a web page).
        self.portal = False
        self.route("GET", r"/files/[^/]+", self._file)
        self.route("HEAD", r"/files/[^/]+", self._file)
        self.configuration_delay = 0.0
        # Parts that accept the request and never answer: "config", "unioncfg", "rcmd", "update".
        self.silent = set()
        self.silent_seconds = 120.0
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
        self.route("POST", r"/_peer/silent", self._set_silent)

    def serve_package_channel(self, cid: int, tid: int, name: str, data: bytes, path_pattern: str,
                              moduletype: str = "exe", md5: str = None, attributes: str = "", check: str = "",
                              tryno_attributes: str = "", url: str = None):
        """A channel whose one trial node installs one package served here
        (`md5` overrides the package's digest; `attributes` go on its entry,
        `tryno_attributes` on the trial node; `check` is the check section's items;
        `url` serves the package from elsewhere)."""
        self._files[name] = data
        digest = md5 or hashlib.md5(data).hexdigest().upper()
        document = (f'<root><check>{check}</check><install><company id="{cid}" version="3">'
                    f'<tryno id="{tid}" version="2" {tryno_attributes}>'
                    f'<dlfile url="{url or f"http://127.0.0.1:{self.port}/files/{name}"}" md5="{digest}" '
                    f'moduletype="{moduletype}" path="{path_pattern}" downloadtype="http" {attributes}/>'
                    f'</tryno></company></install><condition/></root>').encode()
        self.serve_configuration(cid, document)
        return document

    def served_body(self, cid: int) -> bytes:
        """The wrapped body the channel's configuration request is answered with."""
        return self._documents[self._served.get(cid, "missing")][1]

    def serve_document(self, cid: int, name: str):
        """One of the prepared answers (good, garbage, truncated, empty, missing, ...) for a channel."""
        self._served[cid] = name

    def forget_file(self, name: str):
        self._files.pop(name, None)

    def set_file_faults(self, name: str, *faults: FileFault):
        """The n-th GET of the file goes wrong as the n-th fault says; later
        ones are answered well."""
        self._file_faults[name] = list(faults)
        self._file_gets[name] = 0

    def set_file_etag(self, name: str, etag: str):
        """The file's ETag from now on (by default one made from its content)."""
        self._file_etags[name] = etag

    def ignore_ranges(self, name: str):
        """Every GET of the file is answered with the whole file (200), Range or not."""
        self._files_without_ranges.add(name)

    def file_ranges(self, name: str) -> list:
        """The Range header of each GET of the file, in order ("" when it asked for all of it)."""
        return [q.headers.get("range", "") for q in list(self.requests)
                if q.method == "GET" and q.path == f"/files/{name}"]

    def set_container_state(self, name: str, state: str):
        self._container_state[name] = state

    def _set_silent(self, request):
        """?part=config|unioncfg|rcmd|update&seconds=N: that part accepts and says nothing for N s;
        no part: every part answers again."""
        part = request.query.get("part", [""])[0]
        if part and part not in ("config", "unioncfg", "rcmd", "update"):
            return Response(400, b"unknown part")
        self.silent = {part} if part else set()
        self.silent_seconds = float(request.query.get("seconds", ["120"])[0])
        return Response(200, b"ok")

    def _update_part(self, part):
        if part == "ini" and "update" in self.silent:
            return Response(stall_seconds=self.silent_seconds)
        return Response(200, self._update[part]) if part in self._update else Response(404, b"")

    def _set_update(self, request):
        part = request.query.get("part", [""])[0]
        if part not in ("ini", "exe"):
            return Response(400, b"unknown part")
        form = request.query.get("form", ["signed"])[0]
        if form not in ("signed", "plain", "forged"):
            return Response(400, b"unknown form")
        if request.body:
            body = request.body
            if part == "ini" and form != "plain":
                key = self._key if form == "signed" else load_private_key(FORGED_KEY)
                body = wrap_configuration(body, key).encode()
            self._update[part] = body
        else:
            self._update.pop(part, None)
        return Response(200, b"ok")

    def _container(self, name):
        if name in self.silent:
            return Response(stall_seconds=self.silent_seconds)
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

    def serve_configuration(self, cid: int, document: bytes):
        """A plain XML configuration, wrapped as the real service serves it, for channel `cid`."""
        self._documents[f"posted-{cid}"] = (200, wrap_configuration(document, self._key).encode())
        self._served[cid] = f"posted-{cid}"

    def serve_file(self, name: str, data: bytes):
        self._files[name] = data

    def _set_document(self, request):
        self.serve_configuration(int(request.query.get("cid", ["0"])[0]), request.body)
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

    def _file(self, request):
        name = request.path.split("/")[-1]
        if name not in self._files:
            return Response(404, b"")
        data = self._files[name]
        fault = FileFault()
        if request.method == "GET":
            faults, earlier = self._file_faults.get(name, []), self._file_gets.get(name, 0)
            fault = faults[earlier] if earlier < len(faults) else fault
            self._file_gets[name] = earlier + 1
        if fault.stall:
            return Response(stall_seconds=fault.stall)
        if self.portal:
            return Response(200, b"<html><body>Sign in to use this network</body></html>",
                            {"Content-Type": "text/html; charset=utf-8"})
        if name in self._files_without_ranges:
            request = Request(request.method, request.path, {}, {}, b"")
        etag = self._file_etags.get(name) or '"' + hashlib.md5(data).hexdigest()[:16] + '"'
        return stream_range(request, len(data), lambda start, end: data[start:end], rate=fault.rate,
                            cut_after=fault.cut_after, etag=etag)

    def _configuration(self, request):
        if "config" in self.silent:
            return Response(stall_seconds=self.silent_seconds)
        # A slow service: the answer comes, but late (bounded by the peer's lifetime).
        time.sleep(self.configuration_delay)
        cid = int(request.path.split("/")[-1].split(".")[0])
        status, body = self._documents[self._served.get(cid, "missing")]
        return Response(status, body)
