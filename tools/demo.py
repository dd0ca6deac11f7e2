"""The installer's main job, end to end, on this machine.

Starts the local peers for the vendor's services, copies the built
installer under a channel file name (setup_1029_7_silent.exe: channel 1029,
trial 7, silent), runs it under Wine in the project's prefix and shows what
it did: its exit code, what each peer was asked and the log it wrote.
"""
import argparse
import shutil
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO))

from peers.services import PeerSet  # noqa: E402
from tools.wine.session import WineSession  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deployment", default="local")
    parser.add_argument("--file-name", default="setup_1029_7_silent.exe")
    options, extra = parser.parse_known_args()

    installer = REPO / "out" / options.deployment / "twinstall.exe"
    deployment = REPO / "deploy" / f"{options.deployment}.ini"
    work = REPO / "build" / "demo"
    work.mkdir(parents=True, exist_ok=True)
    copy = work / options.file_name
    shutil.copyfile(installer, copy)

    with PeerSet(deployment) as peers, WineSession(REPO / "build" / "wine") as wine:
        temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=wine.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        temp_dir = temp.stdout.decode("gbk", "replace").strip()
        log = Path(subprocess.run(["winepath", "-u", temp_dir + "\\twinst.log"], env=wine.env,
                                  stdout=subprocess.PIPE, timeout=60).stdout.decode().strip())
        print(f"running {copy.name} {' '.join(extra)} under Wine ({wine.env['DISPLAY']})", flush=True)
        result = wine.run(copy, extra, cwd=work, timeout=900, capture=False)
        print(f"{copy.name} exited with code {result.returncode}")
        print(f"peers: {peers.summary()}")
        for name, peer in peers.peers.items():
            for request in peer.requests:
                print(f"  {name}: {request.method} {request.path} ({len(request.body)} bytes)")
        if log.exists():
            print(f"log {log}:")
            print(log.read_bytes().decode("gbk", "replace")[-4000:])
        else:
            print(f"no log at {log} (the log starts with the install controller)")
    return 0 if result.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
