"""The silent road under faults of the services and the machine around it,
one row each: the installer must end with exit code 0, install only when it
can, leave no package behind when it does not, and keep reporting what
happened."""
import contextlib
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zlib
from dataclasses import dataclass
from pathlib import Path
from typing import Callable, Optional, Sequence

from peers.city_service import CityService
from peers.config_service import FileFault
from peers.net_peer import HTTP_PROXY_PORT, SOCKS_PROXY_PORT, HttpProxy, SocksProxy
from peers.real_proxies import DANTE_PORT, TINYPROXY_PORT, Dante, Tinyproxy
from peers.services import PeerSet
from peers.telemetry_peer import decode_packet
from peers.tls_peer import GOOD_PORT, SELF_SIGNED_PORT, WRONG_HOST_PORT, TlsPeers
from tools.test import context

PACKAGE = "zorn_setup.exe"
FOLDER = "twfault"
TARGET = f"%TEMP%\\{FOLDER}\\zorn_????.exe"
CITY_PORT = 18082
DEAD_PORT = 18099
PROXY_KEY = "HKCU\\Software\\Tarnwick\\TwVip\\0"
INTERNET_SETTINGS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
# A host only the proxies resolve: on the proxy-only network the package lives there.
PROXY_ONLY_PACKAGE_URL = f"http://files.tarnwick.invalid:18080/files/{PACKAGE}"
# The package is refused with a condition on this city: percent 0 there.
CITY_CHECK = '<item id="1" name="city" value="1"><leaf id="1" mode="cityblacklist" percent="0" cityid="1101"/></item>'


@dataclass
class Row:
    breaks: Callable  # (peers, product bytes, test) -> None
    installs: bool
    failed_step: Optional[int] = None  # a step record that must carry a non-zero result
    shell: Sequence[str] = ()  # commands run in the shell before the installer (resource limits)
    final_record: bool = True  # the final record reaches the telemetry service
    proxied: str = ""  # a text the targets the row's proxy relayed must hold
    kept: bool = False  # the final record waits in the kept-record file for the next run


def good_channel(peers, product, **kwargs):
    peers["config"].serve_package_channel(1029, 7, PACKAGE, product, TARGET, **kwargs)


def with_faults(faults_for_size, **channel):
    """The package's GETs go wrong in turn as `faults_for_size(package size)` lists."""
    def breaks(peers, product, test):
        good_channel(peers, product, **channel)
        peers["config"].set_file_faults(PACKAGE, *faults_for_size(len(product)))
    return breaks


def with_peer(peer_factory, **channel):
    """A further peer runs for the row (stopped by the test's clean-up)."""
    def breaks(peers, product, test):
        good_channel(peers, product, **channel)
        peer = peer_factory().start()
        test.row_cleanups.callback(peer.stop)
        test.row_peer = peer
    return breaks


def with_proxy(mode, port, proxy_factory=None, credentials=None, faults=(), **channel):
    """The suite's proxy settings in `mode` (1 the system's, 2 HTTP, 3 SOCKS5) to
    127.0.0.1:`port`, where `proxy_factory` starts a proxy, or nothing listens;
    with `credentials` (user, password) sent as Basic authorization."""
    def breaks(peers, product, test):
        good_channel(peers, product, **channel)
        if faults:
            peers["config"].set_file_faults(PACKAGE, *faults(len(product)))
        settings = [("Proxy Mode", "REG_DWORD", str(mode)), ("Proxy Host", "REG_SZ", "127.0.0.1"),
                    ("Proxy Port", "REG_DWORD", str(port))]
        if credentials:
            settings += [("Proxy Authorization", "REG_DWORD", "1"), ("Proxy User", "REG_SZ", credentials[0]),
                         ("Proxy Password", "REG_SZ", credentials[1])]
        test.set_registry(PROXY_KEY, settings)
        if mode == 1:
            test.set_registry(INTERNET_SETTINGS, [("ProxyEnable", "REG_DWORD", "1"),
                                                  ("ProxyServer", "REG_SZ", f"http=127.0.0.1:{port}")],
                              values_only=True)
        if proxy_factory is not None:
            proxy = proxy_factory().start()
            test.row_cleanups.callback(proxy.stop)
            test.row_peer = proxy
    return breaks


def over_https(port):
    """The package from a TLS peer whose test authority this machine trusts:
    on `port`, the certificate it issued for localhost, one it issued for
    another host, or one that signs itself."""
    def breaks(peers, product, test):
        tls = TlsPeers().__enter__()
        test.row_cleanups.callback(tls.__exit__, None, None, None)
        test.trust_root(tls.ca_file)
        tls.serve_file(PACKAGE, product)
        good_channel(peers, product, url=f"https://localhost:{port}/files/{PACKAGE}")
    return breaks


def telemetry(mode, seconds=None):
    def breaks(peers, product, test):
        good_channel(peers, product)
        peers["telemetry"].ack_mode = mode
        if seconds is not None:
            peers["telemetry"].silent_seconds = seconds
    return breaks


def document(name):
    return lambda peers, product, test: peers["config"].serve_document(1029, name)


def slow_configuration(seconds):
    def breaks(peers, product, test):
        good_channel(peers, product)
        peers["config"].configuration_delay = seconds
    return breaks


ROWS = {
    "all services well": Row(lambda peers, product, test: good_channel(peers, product), True),
    "configuration service down": Row(lambda peers, product, test: peers["config"].stop(), False, 11),
    "configuration garbage": Row(document("garbage"), False, 11),
    "configuration empty": Row(document("empty"), False, 11),
    "configuration truncated (a bad RSA block)": Row(document("truncated"), False, 11),
    "configuration missing (404)": Row(document("missing"), False, 11),
    "configuration slow (answers after 4 s of its 10)": Row(slow_configuration(4), True),
    "configuration silent (12 s, past its 10 s limit)": Row(slow_configuration(12), False, 11),
    "package missing (404)": Row(lambda peers, product, test: (good_channel(peers, product),
                                                               peers["config"].forget_file(PACKAGE)), False, 31),
    "package truncated (every answer breaks half-way)":
        Row(with_faults(lambda size: [FileFault(cut_after=size // 2)] * 4), False, 31),
    "package with a wrong MD5": Row(lambda peers, product, test: good_channel(peers, product, md5="0" * 32),
                                    False, 41),
    "package times out, sd=0 (no second try)":
        Row(with_faults(lambda size: [FileFault(rate=size / 20)], attributes='downloadtime="2"'), False, 31),
    "package times out, sd=1 (the resumable downloader finishes)":
        Row(with_faults(lambda size: [FileFault(rate=size / 20)], attributes='downloadtime="2" sd="1"'), True),
    "package times out, sd=1, the resumed transfer dropped mid-way":
        Row(with_faults(lambda size: [FileFault(rate=size / 20), FileFault(cut_after=size // 3)],
                        attributes='downloadtime="2" sd="1"'), True),
    "package connection dropped mid-way (not a time-out: no second try)":
        Row(with_faults(lambda size: [FileFault(cut_after=size // 3)], attributes='sd="1"'), False, 31),
    "disk full for the package (file size limit 256 KiB)":
        Row(lambda peers, product, test: good_channel(peers, product), False, 31,
            shell=("ulimit -f 256", "trap '' XFSZ")),
    "package over https (a certificate the trusted authority issued)": Row(over_https(GOOD_PORT), True),
    "package over https, a certificate for another host": Row(over_https(WRONG_HOST_PORT), False, 31),
    "package over https, a self-signed certificate": Row(over_https(SELF_SIGNED_PORT), False, 31),
    "union file garbage": Row(lambda peers, product, test: (good_channel(peers, product),
                                                            peers["config"].set_container_state("unioncfg", "garbage")),
                              True),
    "union file missing": Row(lambda peers, product, test: (good_channel(peers, product),
                                                            peers["config"].set_container_state("unioncfg", "empty")),
                              True),
    "city lookup down (a city condition counts as met)":
        Row(lambda peers, product, test: good_channel(peers, product, check=CITY_CHECK,
                                                      tryno_attributes='condition="1"'), True),
    "city lookup answers the refused city": Row(with_peer(lambda: CityService(CITY_PORT), check=CITY_CHECK,
                                                          tryno_attributes='condition="1"'), False, 21),
    "telemetry answers garbage": Row(telemetry("garbage"), True),
    # A server error is no delivery: that record and every later one are kept, in order.
    "telemetry answers 500": Row(telemetry("status500"), True, final_record=False, kept=True),
    # Each record is held past the form post's 10 s limit: a black hole, as the installer sees it. The
    # road does not wait for it; at exit the records are kept.
    "telemetry black-holed (no answer within a record's limit)":
        Row(telemetry("silent", 15), True, final_record=False, kept=True),
    "telemetry service down": Row(lambda peers, product, test: (good_channel(peers, product),
                                                                peers["telemetry"].stop()), True,
                                  final_record=False, kept=True),
    "proxy: a working HTTP proxy": Row(with_proxy(2, HTTP_PROXY_PORT, lambda: HttpProxy(HTTP_PROXY_PORT)), True),
    "proxy: a working SOCKS5 proxy": Row(with_proxy(3, SOCKS_PROXY_PORT, lambda: SocksProxy(SOCKS_PROXY_PORT)), True),
    "proxy: the system's (Internet Explorer) HTTP proxy":
        Row(with_proxy(1, HTTP_PROXY_PORT, lambda: HttpProxy(HTTP_PROXY_PORT)), True),
    "proxy: tinyproxy (Debian's) with Basic authentication":
        Row(with_proxy(2, TINYPROXY_PORT, lambda: Tinyproxy(TINYPROXY_PORT, "tw", "zorn"), ("tw", "zorn")), True),
    "proxy: dante (Debian's SOCKS5 server)": Row(with_proxy(3, DANTE_PORT, lambda: Dante(DANTE_PORT)), True),
    # Nothing listens at the proxy's address: every request falls back once
    # to a direct connection, so the install and its records go through.
    "proxy: a dead proxy": Row(with_proxy(2, DEAD_PORT), True),
    # Only the proxy resolves the package's host name: its HEAD, its GET and,
    # after a time-out, every slice of the resumable downloader must go through it.
    "proxy-only network: HTTP proxy": Row(with_proxy(2, HTTP_PROXY_PORT, lambda: HttpProxy(HTTP_PROXY_PORT),
                                                     url=PROXY_ONLY_PACKAGE_URL), True, proxied=".invalid"),
    "proxy-only network: SOCKS5 proxy resolving names":
        Row(with_proxy(3, SOCKS_PROXY_PORT, lambda: SocksProxy(SOCKS_PROXY_PORT), url=PROXY_ONLY_PACKAGE_URL), True,
            proxied=".invalid"),
    "proxy-only network: HTTP proxy, time-out then the resumable downloader":
        Row(with_proxy(2, HTTP_PROXY_PORT, lambda: HttpProxy(HTTP_PROXY_PORT), url=PROXY_ONLY_PACKAGE_URL,
                       faults=lambda size: [FileFault(rate=size / 20)], attributes='downloadtime="2" sd="1"'), True,
            proxied=".invalid"),
    "proxy-only network: SOCKS5, time-out then the resumable downloader":
        Row(with_proxy(3, SOCKS_PROXY_PORT, lambda: SocksProxy(SOCKS_PROXY_PORT), url=PROXY_ONLY_PACKAGE_URL,
                       faults=lambda size: [FileFault(rate=size / 20)], attributes='downloadtime="2" sd="1"'), True,
            proxied=".invalid"),
    # Every slice is slow, so several are needed: a slice that timed out after
    # bytes came through the proxy leaves the proxy in use for the next one.
    "proxy-only network: HTTP proxy, several slow slices":
        Row(with_proxy(2, HTTP_PROXY_PORT, lambda: HttpProxy(HTTP_PROXY_PORT), url=PROXY_ONLY_PACKAGE_URL,
                       faults=lambda size: [FileFault(rate=size / 16)] * 4, attributes='downloadtime="2" sd="1"'),
            True, proxied=".invalid"),
    "proxy-only network: SOCKS5, several slow slices":
        Row(with_proxy(3, SOCKS_PROXY_PORT, lambda: SocksProxy(SOCKS_PROXY_PORT), url=PROXY_ONLY_PACKAGE_URL,
                       faults=lambda size: [FileFault(rate=size / 16)] * 4, attributes='downloadtime="2" sd="1"'),
            True, proxied=".invalid"),
    "product installer fails": Row(lambda peers, product, test: good_channel(peers, product,
                                                                             attributes='param="mode=fail"'), True),
    "product installer crashes": Row(lambda peers, product, test: good_channel(peers, product,
                                                                               attributes='param="mode=crash"'), True),
    "product installer never posts": Row(lambda peers, product, test: good_channel(
        peers, product, attributes='param="mode=silent"'), True),
}


def _wine_temp(wine) -> Path:
    temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=wine.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    return Path(subprocess.run(["winepath", "-u", temp.stdout.decode("gbk", "replace").strip()], env=wine.env,
                               stdout=subprocess.PIPE, timeout=60).stdout.decode().strip())


KEPT_MAGIC = b"TWRQ\x01"


def kept_packets(data: bytes) -> list:
    """The records in the installer's kept-record file, by its own layout."""
    assert data.startswith(KEPT_MAGIC), data[:16]
    packets, at = [], len(KEPT_MAGIC)
    while at + 8 <= len(data):
        length, crc = struct.unpack_from("<II", data, at)
        packet = data[at + 8:at + 8 + length]
        assert len(packet) == length and zlib.crc32(packet) == crc, f"a damaged record at {at}"
        packets.append(packet)
        at += 8 + length
    return packets


def steps_of(packets) -> list:
    return [(b["fields"]["step"], b["fields"]["step_result"]) for packet in packets
            for b in decode_packet(packet) if b["table"] == 7706]


def step_records(peers):
    return [(b["fields"]["step"], b["fields"]["step_result"]) for r in peers["telemetry"].records
            for b in r["blocks"] if b["table"] == 7706]


class InstallerMachineCase(unittest.TestCase):
    """A Wine machine the installer runs on, with the product installer
    stand-in as the package and a folder of the test's own."""
    WORK_PREFIX = "tw-installer-"

    def setUp(self):
        self.wine = context.wine_session()
        self.work = Path(tempfile.mkdtemp(prefix=self.WORK_PREFIX))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        self.temp = _wine_temp(self.wine)
        self.product = (context.installer().parent / "tw_product_installer.exe").read_bytes()
        self.recorded = self.temp / "tw_product_installer.txt"

    def fresh_machine(self):
        self.recorded.unlink(missing_ok=True)
        context.forget_install_state(self.wine)
        for package in self.leftovers() + self.partial_files():
            package.unlink()

    def partial_files(self):
        """Partial downloads kept for a later run, with their records."""
        folder = context.work_folder(self.wine)
        return list(folder.glob("*.part*")) if folder.exists() else []

    def leftovers(self):
        """Packages in the work folder (the configuration names them zorn_????.exe)."""
        folder = context.work_folder(self.wine)
        return list(folder.glob("zorn_*")) if folder.exists() else []

    def trust_root(self, pem: Path):
        """The certificate in `pem` becomes a trusted root of this machine."""
        helper = context.installer().parent / "tw_test_helper.exe"
        done = subprocess.run(["wine", str(helper), "trust-root", "Z:" + str(pem).replace("/", "\\")],
                              env=self.wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(done.returncode, 0, "the test authority was added to the trusted roots")

    def start_installer(self, shell=()) -> subprocess.Popen:
        """The silent channel's copy, started in the test's folder (also its current directory)."""
        copy = self.work / "setup_1029_7_silent.exe"
        if not copy.exists():
            shutil.copyfile(context.installer(), copy)
        script = "; ".join([*shell, 'exec wine "$0"'])
        return subprocess.Popen(["bash", "-c", script, str(copy)], env=self.wine.env, cwd=self.work,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)


class FaultMatrixTest(InstallerMachineCase):
    WORK_PREFIX = "tw-fault-"

    def setUp(self):
        super().setUp()
        self.row_peer = None
        self.row_cleanups = contextlib.ExitStack()
        self.addCleanup(self.row_cleanups.close)

    def reg(self, *args):
        subprocess.run(["wine", "reg", *args], env=self.wine.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def set_registry(self, key, values, values_only=False):
        """Sets the values for this row; afterwards the key goes (or only the values, in a shared key)."""
        for name, kind, data in values:
            self.reg("add", key, "/v", name, "/t", kind, "/d", data, "/f")
            if values_only:
                self.row_cleanups.callback(self.reg, "delete", key, "/v", name, "/f")
        if not values_only:
            self.row_cleanups.callback(self.reg, "delete", key, "/f")

    def run_row(self, name, row):
        self.fresh_machine()
        with self.row_cleanups, PeerSet(context.deployment_file()) as peers:
            row.breaks(peers, self.product, self)
            started = time.monotonic()
            process = self.start_installer(row.shell)
            output, _ = process.communicate(timeout=300)
            seconds = time.monotonic() - started
            self.assertEqual(process.returncode, 0, f"{name}: {output!r}")
            self.assertEqual(self.recorded.exists(), row.installs, f"{name}: did the product installer run?")
            if not row.installs:
                self.assertEqual(self.leftovers(), [], f"{name}: a package was left behind")
            steps = step_records(peers)
            if row.final_record:
                self.assertTrue(any(b["table"] == 6139 for r in peers["telemetry"].records for b in r["blocks"]),
                                f"{name}: the final record")
            if row.kept:
                kept = context.kept_records_file(self.wine)
                self.assertTrue(kept.exists() and any(b["table"] == 6139 for packet in kept_packets(kept.read_bytes())
                                                      for b in decode_packet(packet)),
                                f"{name}: the final record kept for the next run")
            if row.failed_step is not None:
                self.assertTrue(any(step == row.failed_step and result != 0 for step, result in steps),
                                f"{name}: a failure at step {row.failed_step} in {steps}")
            if self.row_peer is not None:
                # Proxies record what they relayed (real ones once the connection closed); other peers
                # what they were asked.
                asked = (self.row_peer.wait_seen() if hasattr(self.row_peer, "wait_seen") else
                         self.row_peer.seen if hasattr(self.row_peer, "seen") else self.row_peer.requests)
                self.assertTrue(asked, f"{name}: the row's own peer was asked")
                if row.proxied:
                    self.assertTrue(any(row.proxied in seen["target"] for seen in asked),
                                    f"{name}: the proxy relayed the package: {asked}")
            print(f"  {name}: exit 0 after {seconds:.1f} s, installer {'ran' if self.recorded.exists() else 'not run'}"
                  f", steps {steps}", flush=True)

    def test_every_row(self):
        # TW_FAULT_ROWS=text runs only the rows whose name holds the text.
        only = os.environ.get("TW_FAULT_ROWS", "")
        # A mistyped selection must not pass by running nothing.
        self.assertTrue(any(only in name for name in ROWS), f"TW_FAULT_ROWS={only!r} names no row")
        for name, row in ROWS.items():
            if only not in name:
                continue
            with self.subTest(row=name):
                self.row_peer = None
                self.row_cleanups = contextlib.ExitStack()
                self.run_row(name, row)

    def test_a_second_copy_during_an_install_leaves_at_once(self):
        self.fresh_machine()
        with PeerSet(context.deployment_file()) as peers:
            good_channel(peers, self.product)
            # The first copy's download trickles for about eight seconds.
            peers["config"].set_file_faults(PACKAGE, FileFault(rate=len(self.product) / 8))
            first = self.start_installer()
            downloading = peers["config"].wait_for(
                lambda requests: any(r.method == "GET" and r.path.endswith(PACKAGE) for r in requests), 120)
            self.assertTrue(downloading, "the first copy began its download")
            second = self.start_installer()
            second_output, _ = second.communicate(timeout=60)
            self.assertEqual(second.returncode, 0, second_output)
            self.assertIsNone(first.poll(), "the first copy was still downloading when the second left")
            first_output, _ = first.communicate(timeout=300)
            self.assertEqual(first.returncode, 0, first_output)
            self.assertTrue(self.recorded.exists(), "the first copy installed")
            configurations = [r for r in peers["config"].requests if r.path.startswith("/lminstall3/1029")]
            self.assertEqual(len(configurations), 1, "only the first copy fetched the configuration")

    def test_records_of_a_run_without_telemetry_arrive_with_the_next_run(self):
        self.fresh_machine()
        kept_file = context.kept_records_file(self.wine)
        with PeerSet(context.deployment_file()) as peers:
            good_channel(peers, self.product)
            peers["telemetry"].stop()
            first = self.start_installer()
            first.communicate(timeout=300)
            self.assertEqual(first.returncode, 0)
        saved = kept_file.read_bytes()
        kept = kept_packets(saved)
        steps = [step for step, _ in steps_of(kept)]
        self.assertIn(51, steps, "the first run's records up to the launch were kept")
        self.recorded.unlink(missing_ok=True)
        context.forget_install_state(self.wine)  # the product's state goes, the kept records stay
        kept_file.write_bytes(saved)
        with PeerSet(context.deployment_file()) as peers:
            good_channel(peers, self.product)
            second = self.start_installer()
            second.communicate(timeout=300)
            self.assertEqual(second.returncode, 0)
            delivered = [bytes.fromhex(record["packet"]) for record in peers["telemetry"].records]
            self.assertEqual(delivered[:len(kept)], kept, "the kept records first, each unchanged, in order")
            self.assertTrue(all(record["ok"] for record in peers["telemetry"].records), "each one decoded")
            self.assertEqual([s for s, _ in steps_of(delivered[len(kept):])][:2], [0, 11], "then the run's own")
        self.assertFalse(kept_file.exists() and kept_packets(kept_file.read_bytes()), "nothing left kept")

    def test_a_pending_reboot_ends_the_silent_run_before_any_request(self):
        run_once = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce"
        rows = {
            # checked at start-up, before the window
            "the product's reboot key": (["add", "HKLM\\SOFTWARE\\tarnwick\\Antivirus\\TwNeedReboot", "/f"],
                                         ["delete", "HKLM\\SOFTWARE\\tarnwick\\Antivirus\\TwNeedReboot", "/f"]),
            # checked by the window, which ends before its worker starts
            "the RunOnce reboot value": (["add", run_once, "/v", "TWAV7NEEDREBOOT", "/t", "REG_SZ", "/d", "1", "/f"],
                                         ["delete", run_once, "/v", "TWAV7NEEDREBOOT", "/f"]),
        }
        for name, (add, delete) in rows.items():
            with self.subTest(row=name):
                self.fresh_machine()
                self.reg(*add)
                try:
                    with PeerSet(context.deployment_file()) as peers:
                        good_channel(peers, self.product)
                        process = self.start_installer()
                        output, _ = process.communicate(timeout=120)
                        self.assertEqual(process.returncode, 0, output)
                        self.assertFalse(self.recorded.exists())
                        self.assertEqual([r.path for r in peers["config"].requests
                                          if r.path.startswith("/lminstall3/1029")], [])
                finally:
                    self.reg(*delete)


if __name__ == "__main__":
    unittest.main()
