"""HTTPS on loopback for the certificate tests: a test certificate
authority, made afresh at start, and three servers serving one small file
(GET /hello.txt): one with a certificate the authority issued for
"localhost", one with a certificate it issued for another host, and one
whose certificate signs itself. The authority's certificate is served as
PEM over plain HTTP (GET /ca.pem on CA_PORT) for the test that installs it
in the Wine prefix's root store.

  https://localhost:18094/hello.txt   issued by the test CA for localhost
  https://localhost:18095/hello.txt   issued by the test CA for wrong-host.invalid
  https://localhost:18097/hello.txt   self-signed, for localhost
  http://127.0.0.1:18093/ca.pem       the test CA
  GET /files/NAME on each server      bytes a test published with serve_file
"""
import ssl
import subprocess
import tempfile
from pathlib import Path

from peers.framework import Peer, Response

CA_PORT, GOOD_PORT, WRONG_HOST_PORT, SELF_SIGNED_PORT = 18093, 18094, 18095, 18097
HELLO = b"hello over https\n"


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder: Path):
    """ca.pem, and key/certificate pairs good, wrong-host and self-signed."""
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
             "-subj", "/CN=Twinstall Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    for name, host in (("good", "localhost"), ("wrong-host", "wrong-host.invalid")):
        (folder / f"{name}.ext").write_text(f"subjectAltName=DNS:{host}\nbasicConstraints=CA:FALSE\n"
                                            "extendedKeyUsage=serverAuth\n")
        _openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
                 "-subj", f"/CN={host}", cwd=folder)
        _openssl("x509", "-req", "-in", f"{name}.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                 "-out", f"{name}.pem", "-days", "2", "-extfile", f"{name}.ext", cwd=folder)
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "self-signed.key", "-out",
             "self-signed.pem", "-days", "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
             cwd=folder)


class TlsPeers:
    def __init__(self, lifetime=1800.0):
        self._folder = tempfile.TemporaryDirectory(prefix="tw-tls-")
        folder = Path(self._folder.name)
        make_certificates(folder)
        self.ca_pem = (folder / "ca.pem").read_bytes()
        self.ca_file = folder / "ca.pem"
        self._files = {}
        self.ca = Peer("tls-ca", CA_PORT, lifetime)
        self.ca.route("GET", r"/ca\.pem", lambda request: Response(200, self.ca_pem))
        self.servers = []
        for name, port in (("good", GOOD_PORT), ("wrong-host", WRONG_HOST_PORT), ("self-signed", SELF_SIGNED_PORT)):
            peer = Peer(f"tls-{name}", port, lifetime)
            peer.route("GET", r"/hello\.txt", lambda request: Response(200, HELLO))
            peer.route("GET", r"/files/(?P<name>[^/?]+)", self._file)
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(folder / f"{name}.pem", folder / f"{name}.key")
            # A client that refuses the certificate fails the handshake in accept(): the server goes on.
            peer._server.socket = context.wrap_socket(peer._server.socket, server_side=True)
            self.servers.append(peer)

    def serve_file(self, name: str, data: bytes):
        self._files[name] = data

    def _file(self, request):
        name = request.path.rsplit("/", 1)[-1]
        return Response(200, self._files[name]) if name in self._files else Response(404, b"")

    def __enter__(self):
        for peer in (self.ca, *self.servers):
            peer.start()
        return self

    def __exit__(self, *exc):
        for peer in (self.ca, *self.servers):
            peer.stop()
        self._folder.cleanup()
        return False
