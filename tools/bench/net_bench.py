"""Network benchmarks under Wine, each against a baseline in the same run.

- DownloadFile of a 256 MiB file from nginx on loopback vs curl.exe built
  from the same libcurl, both under Wine (goal: at least 0.95 as fast), and
  the transfer alone (no file) vs curl.exe writing to NUL; the Linux curl
  command outside Wine stays as a reference (it mostly measures Wine's
  socket layer).
- VerifyFileMd5 of that file vs md5sum.
- The resumable downloader over a connection dropped every 32 MiB vs the
  same file undisturbed, both from the Python file peer (goal: at most 1.5
  times the time); a package download ended at 60 % and the next run's
  share of the package (goal: at most 45 %).
Figures are throughput ratios (ours / baseline): 1.0 is as fast.
"""
import hashlib
import os
import re
import urllib.request
import shutil
import socket
import subprocess
import time
from pathlib import Path

from peers.net_peer import FILE_PORT, TELEMETRY_TEST_PORT, NetPeers, pattern
from tools.bench import wine_tree
from tools.bench.table import at_least, at_most
from tools.test.context import kept_records_file
from tools.wine.session import WineSession

SIZE = 256 << 20
DROP_EVERY = 32 << 20
NGINX_PORT = 18095
RUNS = 3


def wait_for_port(port, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError(f"nothing listens on {port}")


class Nginx:
    def __init__(self, root: Path, www: Path):
        self.root = root
        (root / "logs").mkdir(parents=True, exist_ok=True)
        self.conf = root / "nginx.conf"
        self.conf.write_text(f"""daemon off;
worker_processes 1;
pid {root}/nginx.pid;
error_log {root}/logs/error.log;
events {{ worker_connections 64; }}
http {{
  access_log off;
  sendfile on;
  client_body_temp_path {root}/tmp;
  proxy_temp_path {root}/tmp;
  fastcgi_temp_path {root}/tmp;
  uwsgi_temp_path {root}/tmp;
  scgi_temp_path {root}/tmp;
  server {{ listen 127.0.0.1:{NGINX_PORT}; root {www}; }}
}}
""")
        self.process = None

    def __enter__(self):
        self.process = subprocess.Popen(["nginx", "-c", str(self.conf), "-p", str(self.root)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(NGINX_PORT)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=30)
        return False


def best_seconds(run):
    return min(run() for _ in range(RUNS))


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def run_ours(wine, program, *args):
    result = wine.run(program, args, timeout=1800)
    text = result.stdout.decode("utf-8", "replace")
    match = re.search(r"ms=([\d.]+) result=(-?\d+)", text)
    if not match or match.group(2) != "0":
        raise RuntimeError(f"{program.name} {args[0]} failed: {text.strip()}")
    return float(match.group(1)) / 1000.0


def fetched_by(wine, program, url, partial):
    """The bytes one run of the package download fetched into `partial` (kept for the next)."""
    text = wine.run(program, ["continue", url, partial], timeout=1800).stdout.decode("utf-8", "replace")
    match = re.search(r"fetched=(\d+)", text)
    if not match:
        raise RuntimeError(f"{program.name} continue: {text.strip()}")
    return int(match.group(1))


def run_curl_exe(wine, curl_exe, url, target):
    """curl.exe's own transfer time (its -w figure: no process start), in seconds."""
    result = wine.run(curl_exe, ["-s", "-o", target, "-w", "%{time_total}", url], timeout=1800)
    text = result.stdout.decode("utf-8", "replace").strip()
    if result.returncode != 0 or not re.fullmatch(r"[\d.]+", text):
        raise RuntimeError(f"curl.exe failed ({result.returncode}): {text}")
    return float(text)


def windows_path(wine, path: Path) -> str:
    return subprocess.run(["winepath", "-w", str(path)], env=wine.env, stdout=subprocess.PIPE,
                          check=True).stdout.decode().strip()


def run(repo: Path, deployment, table):
    work = repo / "build" / "bench"
    www = work / "www"
    www.mkdir(parents=True, exist_ok=True)
    big = www / "big.bin"
    if not big.exists() or big.stat().st_size != SIZE:
        with open(big, "wb") as out:
            for _ in range(SIZE // (1 << 20)):
                out.write(os.urandom(1 << 20))
    md5 = subprocess.run(["md5sum", str(big)], stdout=subprocess.PIPE, check=True).stdout.split()[0].decode()
    program = wine_tree.binaries(repo, deployment) / "net_bench.exe"
    rows = []
    with WineSession(wine_tree.prefix(repo)) as wine, Nginx(work / "nginx", www):
        url = f"http://127.0.0.1:{NGINX_PORT}/big.bin"
        ours_file = work / "ours.bin"
        curl_exe = wine_tree.libraries(repo, deployment) / "bin" / "curl.exe"
        ours_s = best_seconds(lambda: run_ours(wine, program, "download", url, windows_path(wine, ours_file)))
        curl_exe_s = best_seconds(lambda: run_curl_exe(wine, curl_exe, url, windows_path(wine, work / "curl.bin")))
        rows.append(("DownloadFile 256 MiB vs curl.exe, same libcurl", curl_exe_s / ours_s, ours_s, curl_exe_s,
                     at_least(0.95)))
        # Where the time goes: the transfer alone, without writing a file.
        transfer_s = best_seconds(lambda: run_ours(wine, program, "transfer", url, "-"))
        curl_exe_null_s = best_seconds(lambda: run_curl_exe(wine, curl_exe, url, "NUL"))
        rows.append(("  transfer only vs curl.exe to NUL", curl_exe_null_s / transfer_s, transfer_s, curl_exe_null_s,
                     None))
        curl_s = best_seconds(lambda: timed(["curl", "-s", "-o", str(work / "curl.bin"), url]))
        rows.append(("  DownloadFile vs Linux curl (outside Wine)", curl_s / ours_s, ours_s, curl_s, None))

        md5sum_s = best_seconds(lambda: timed(["md5sum", str(ours_file)]))
        verify_s = best_seconds(lambda: run_ours(wine, program, "verify", windows_path(wine, ours_file), md5))
        rows.append(("VerifyFileMd5 vs md5sum", md5sum_s / verify_s, verify_s, md5sum_s, at_least(0.95)))

    with WineSession(wine_tree.prefix(repo)) as wine, NetPeers():
        target = windows_path(wine, work / "resumed.bin")
        base = f"http://127.0.0.1:{FILE_PORT}"
        plain_s = run_ours(wine, program, "resumable", f"{base}/file/{SIZE}/bench", target)
        dropped_s = run_ours(wine, program, "resumable", f"{base}/drop/{SIZE}/{DROP_EVERY}/bench", target)
        rows.append(("resumable, drop every 32 MiB: time / undisturbed", dropped_s / plain_s, dropped_s, plain_s,
                     at_most(1.5)))

        # A run ended at 60 % of the package, then the next run: it continues
        # the kept bytes and fetches only the rest.
        partial = work / "continued.part"
        for leftover in (partial, work / "continued.part.txt"):
            leftover.unlink(missing_ok=True)
        ended_at = SIZE * 6 // 10
        url = f"{base}/drop/{SIZE}/{ended_at}/continued"
        first = fetched_by(wine, program, url, windows_path(wine, partial))
        second = fetched_by(wine, program, url, windows_path(wine, partial))
        if first != ended_at:
            raise RuntimeError(f"the first run fetched {first} bytes, not the {ended_at} it was cut after")
        rows.append(("second run after one ended at 60 %: share fetched", second / SIZE, second, SIZE, at_most(0.45),
                     "bytes"))

        # Telemetry: a step record's whole round trip against the local peer,
        # beside the package download it accompanies on the install road.
        records = 50
        telemetry_s = run_ours(wine, program, "telemetry", f"http://127.0.0.1:{TELEMETRY_TEST_PORT}/c/", str(records))
        per_record = telemetry_s / records
        rows.append(("  one step record vs the download", per_record / ours_s, per_record, ours_s, None))

        # The install configuration: unwrap (Base64, RSA blocks) and parse 64 KiB.
        loads = 20
        config_s = run_ours(wine, program, "config", windows_path(wine, work / "config64k.b64"), str(loads)) / loads
        rows.append(("  unwrap+parse 64 KiB config vs download", config_s / ours_s, config_s, ours_s, None))

        # The whole local road: configuration, one 64 MiB package, verification, launch.
        road_mib = 64
        digest = hashlib.md5()
        for start in range(0, road_mib << 20, 1 << 20):
            digest.update(pattern(start, start + (1 << 20)))
        document = (f'<root><check/><install><company id="4242" version="1"><tryno id="7" version="1">'
                    f'<dlfile url="http://127.0.0.1:{FILE_PORT}/file/{road_mib << 20}/road" md5="{digest.hexdigest()}" '
                    f'moduletype="dll" funcname="Entry" path="%TEMP%\\twbench\\road_????.dll" downloadtype="http"/>'
                    f'</tryno></company></install><condition/></root>').encode()
        request = urllib.request.Request(f"http://127.0.0.1:18080/_peer/config?cid=4242", data=document, method="POST")
        urllib.request.urlopen(request, timeout=30).read()
        result = wine.run(program, ["road", f"http://127.0.0.1:{TELEMETRY_TEST_PORT}/c/", "4242"], timeout=1800)
        text = result.stdout.decode("utf-8", "replace")
        times = dict(re.findall(r"(\w+)_ms=([\d.]+)", text))
        road_s = sum(float(v) for k, v in times.items() if k in ("init", "download_verify", "install", "exit")) / 1000
        records = 14  # step records of this road; each about one round trip measured above
        rows.append(("road: init s / whole road", float(times.get("init", 0)) / 1000 / road_s if road_s else 0,
                     float(times.get("init", 0)) / 1000, road_s, None))
        rows.append(("road: download+verify s / whole road",
                     float(times.get("download_verify", 0)) / 1000 / road_s if road_s else 0,
                     float(times.get("download_verify", 0)) / 1000, road_s, None))
        rows.append(("road: records' round trips (posted beside it) / road", records * per_record / road_s if road_s else 0,
                     records * per_record, road_s, None))

        # The same road with the telemetry service black-holed: it accepts the
        # connection and never answers. Another channel, so that nothing comes
        # from the package cache of the first road.
        request = urllib.request.Request("http://127.0.0.1:18080/_peer/config?cid=4243",
                                         data=document.replace(b'id="4242"', b'id="4243"'), method="POST")
        urllib.request.urlopen(request, timeout=30).read()
        urllib.request.urlopen(f"http://127.0.0.1:{TELEMETRY_TEST_PORT}/_peer/ack?mode=silent", timeout=30).read()
        result = wine.run(program, ["road", f"http://127.0.0.1:{TELEMETRY_TEST_PORT}/c/", "4243"], timeout=3600)
        urllib.request.urlopen(f"http://127.0.0.1:{TELEMETRY_TEST_PORT}/_peer/ack?mode=ok", timeout=30).read()
        kept_records_file(wine).unlink(missing_ok=True)  # the black hole's records, kept: not for the next run
        holed = dict(re.findall(r"(\w+)_ms=([\d.]+)", result.stdout.decode("utf-8", "replace")))
        holed_s = sum(float(v) for k, v in holed.items() if k in ("init", "download_verify", "install", "exit")) / 1000
        rows.append(("road: telemetry black-holed / reachable", holed_s / road_s if road_s else 0, holed_s, road_s, None))
        rows.append(("road: telemetry black-holed, extra s / 3 s", (holed_s - road_s) / 3, holed_s - road_s, 3,
                     at_most(1.0)))

    for name in ("curl.bin", "ours.bin", "resumed.bin", "continued.part", "continued.part.txt"):
        (work / name).unlink(missing_ok=True)
    for name, ratio, ours, baseline, goal, *unit in rows:
        table.add("net", name, ratio, ours, baseline, unit[0] if unit else "s", goal)
