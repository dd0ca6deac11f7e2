"""The installer's main job, end to end, on this machine.

Starts the local stand-ins for the vendor's services (configuration with a
channel whose package is the product installer peer, telemetry, self-update),
then runs the installer under Wine in the project's prefix:

- with a display (DISPLAY set, no --headless): the real window opens there
  under the name setup_1029_7.exe for you to click through;
- without one: the silent channel (setup_1029_7_silent.exe) installs on a
  private Xvfb, and the window's pages are drawn to pictures.

Either way it writes a transcript of what happened: the configuration
fetched, the package downloaded, the product installer's command line,
every telemetry record decoded, and the installer's log.
"""
import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO))

from peers.services import PeerSet  # noqa: E402
from tools.wine.session import WineSession  # noqa: E402

# The pages drawn to pictures, each a list of the renderer's by-id operations.
PAGES = {
    "1-start": [],
    "2-path-panel": ["show:103:1"],
    "3-downloading": ["show:4:0", "show:604:0", "show:600:1", "show:100:0", "show:200:1", "attr:206:value:40"],
    "4-installing": ["show:4:0", "show:604:0", "show:602:1", "attr:3:skin:mainbg_banner2", "show:100:0",
                     "show:200:1", "show:201:0", "show:205:1", "attr:206:value:85"],
    "5-finished": ["show:3:0", "show:100:0", "show:400:1"],
    "6-failed": ["show:4:0", "show:604:0", "attr:3:skin:mainbg_error", "show:100:0", "show:500:1"],
}


def wine_path(wine, windows_path: str) -> Path:
    return Path(subprocess.run(["winepath", "-u", windows_path], env=wine.env, stdout=subprocess.PIPE,
                               timeout=60).stdout.decode().strip())


def temp_dir(wine) -> Path:
    temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=wine.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    return wine_path(wine, temp.stdout.decode("gbk", "replace").strip())


def draw_pages(wine, binaries: Path, installer: Path, out: Path):
    out.mkdir(parents=True, exist_ok=True)
    exe = "Z:" + str(installer).replace("/", "\\")
    for name, operations in PAGES.items():
        args = ["--exe", exe, "--layout", "11001"]
        if name == "2-path-panel":
            args += ["--size", "580x470"]
        for operation in operations:
            args += ["--op", operation]
        args += ["--out", "Z:" + str(out / f"{name}.png").replace("/", "\\")]
        wine.run(binaries / "uxrender.exe", args, cwd=out, timeout=120)
    wine.run(binaries / "uxrender.exe", ["--exe", exe, "--layout", "11006", "--out",
                                         "Z:" + str(out / "7-disagree.png").replace("/", "\\")], cwd=out, timeout=120)


def record_line(record) -> str:
    parts = []
    for block in record["blocks"]:
        if block["table"] == 4:
            continue
        fields = ", ".join(f"{k}={v}" for k, v in block["fields"].items()
                           if v not in ("", 0) and not k.startswith(("zero", "reserved")))
        parts.append(f"table {block['table']}: {fields}" + (f" bits={block['bits']}" if block["bits"] else ""))
    return "; ".join(parts)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deployment", default="local")
    parser.add_argument("--headless", action="store_true", help="run silently on a private display")
    options, extra = parser.parse_known_args()

    binaries = REPO / "build" / f"win32-{options.deployment}" / "bin"
    installer = REPO / "out" / options.deployment / "twinstall.exe"
    work = REPO / "build" / "demo"
    work.mkdir(parents=True, exist_ok=True)
    display = None if options.headless else os.environ.get("DISPLAY")
    copy = work / ("setup_1029_7.exe" if display else "setup_1029_7_silent.exe")
    shutil.copyfile(installer, copy)
    transcript = []

    with PeerSet(REPO / "deploy" / f"{options.deployment}.ini") as peers, \
            WineSession(REPO / "build" / "wine", display=display) as wine:
        product = (binaries / "tw_product_installer.exe").read_bytes()
        peers["config"].serve_package_channel(1029, 7, "zorn_setup.exe", product, "%TEMP%\\twdemo\\zorn_????.exe")
        temp = temp_dir(wine)
        for name in ("tw_product_installer.txt", "twinst.log", "twinst.log0"):
            (temp / name).unlink(missing_ok=True)

        mode = "window" if display else "silent"
        print(f"running {copy.name} {' '.join(extra)} under Wine ({mode}, DISPLAY {wine.env['DISPLAY']})", flush=True)
        result = wine.run(copy, extra, cwd=work, timeout=900, capture=False)
        transcript.append(f"{copy.name} exited with code {result.returncode} ({mode} mode)")

        transcript.append("\nconfiguration and package service:")
        for request in peers["config"].requests:
            transcript.append(f"  {request.method} {request.path}")
        recorded = temp / "tw_product_installer.txt"
        transcript.append("\nthe product installer's command line:")
        transcript.append("  " + (recorded.read_text("utf-8", "replace").strip() if recorded.exists() else "(not run)"))
        transcript.append(f"\ntelemetry: {len(peers['telemetry'].records)} records")
        for record in peers["telemetry"].records:
            transcript.append("  " + record_line(record))
        log = temp / "twinst.log"
        transcript.append(f"\nthe installer's log ({log}):")
        transcript.append(log.read_bytes().decode("gbk", "replace") if log.exists() else "(none)")

        if not display:
            draw_pages(wine, binaries, installer, work / "pictures")
            transcript.append(f"\npictures of the window's pages: {work / 'pictures'}")
            transcript.append(f"the message boxes with their texts, as the window tests check them: "
                              f"{REPO / 'tests' / 'fixtures' / 'windows' / 'expected'}")

    text = "\n".join(transcript)
    (work / "transcript.txt").write_text(text, encoding="utf-8")
    print(text[:6000])
    print(f"\ntranscript: {work / 'transcript.txt'}")
    return 0 if result.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
