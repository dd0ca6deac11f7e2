"""The installer's main job, end to end, on this machine.

Starts the local stand-ins for the vendor's services (configuration with a
channel whose package is the product installer peer, telemetry, self-update,
city lookup), then runs the real installer under Wine in the project's
prefix as setup_1029_7.exe:

- with a display (DISPLAY set, no --headless): the window opens there for
  you to click through;
- without one: the window opens on a private Xvfb and the demo clicks
  through it as a user would ("自定义安装", then "同意并安装", then "安装完成"),
  taking a picture of each page as it shows.

Either way it writes a transcript: the configuration fetched, the conditions
evaluated, the package downloaded (size, time, throughput), the MD5
verified, the product installer's command line and stages, every telemetry
record decoded with a summary of the install, and the installer's log.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO))

from peers.city_service import CityService  # noqa: E402
from peers.config_service import FileFault  # noqa: E402
from peers.services import PeerSet  # noqa: E402
from operators.telemetry_reader import record_line, summarize  # noqa: E402
from tools.test.context import kept_records_file  # noqa: E402
from tools.wine import screen as desktop  # noqa: E402
from tools.wine.session import WineSession, shipped_file_not_run, wine_arch  # noqa: E402

PACKAGE = "zorn_setup.exe"
# The channel: install only where the suite's service is not running yet;
# the product installer takes 0.7 s a stage so that its progress shows, and
# keeps the finished page up for 4 s before it ends the window.
CHECK = '<item id="1" name="suite service running" value="1"><leaf id="1" mode="service" name="TwZornSvc"/></item>'
ENTRY = 'condition="~1" param="pause=700&amp;linger=4000"'
SECONDS_OF_DOWNLOAD = 4

# Pages the user does not reach on a good day, drawn from the same resources.
OTHER_PAGES = {
    "6-failed": ["show:4:0", "show:604:0", "attr:3:skin:mainbg_error", "show:100:0", "show:500:1"],
}


def wine_path(wine, windows_path: str) -> Path:
    return Path(subprocess.run(["winepath", "-u", windows_path], env=wine.env, stdout=subprocess.PIPE,
                               timeout=60).stdout.decode().strip())


def temp_dir(wine) -> Path:
    temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=wine.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    return wine_path(wine, temp.stdout.decode("gbk", "replace").strip())


def drive_window(screen, peers, recorded: Path, stages: Path, pictures: Path) -> list:
    """Clicks through the window as a user would; returns what it did, a line each."""
    pictures.mkdir(parents=True, exist_ok=True)
    done = []

    def picture(name, image: bytes):
        (pictures / f"{name}.png").write_bytes(image)
        done.append(f"  picture {name}.png")

    window = desktop.wait_until(screen.main_window, 60, "the main window")
    picture("1-start", screen.settled(window))
    screen.press(window, desktop.CUSTOM_INSTALL)
    done.append("  clicked 自定义安装 (custom install): the path panel unfolds")
    desktop.wait_until(lambda: screen.geometry(window)["HEIGHT"] > 410, 15, "the path panel")
    picture("2-path-panel", screen.settled(window))
    screen.press(window, desktop.AGREE_AND_INSTALL)
    done.append("  clicked 同意并安装 (agree and install)")
    peers["config"].wait_for(lambda requests: any(r.method == "GET" and r.path.endswith(PACKAGE)
                                                  for r in requests), 60)
    time.sleep(SECONDS_OF_DOWNLOAD / 2)  # half-way through the trickled download
    picture("3-downloading", screen.pixels(window))
    desktop.wait_until(recorded.exists, 60, "the product installer")
    time.sleep(1.0)  # a stage or two into the installation
    picture("4-installing", screen.pixels(window))
    desktop.wait_until(lambda: stages.exists() and b"(113" in stages.read_bytes(), 60, "the installation's outcome")
    picture("5-finished", screen.settled(window))
    screen.press(window, desktop.FINISHED_BUTTON)
    done.append("  clicked 安装完成 (finished): the window closes")
    return done


def draw_other_pages(wine, binaries: Path, installer: Path, out: Path):
    exe = "Z:" + str(installer).replace("/", "\\")
    for name, operations in OTHER_PAGES.items():
        args = ["--exe", exe, "--layout", "11001"]
        for operation in operations:
            args += ["--op", operation]
        args += ["--out", "Z:" + str(out / f"{name}.png").replace("/", "\\")]
        wine.run(binaries / "uxrender.exe", args, cwd=out, timeout=120)
    wine.run(binaries / "uxrender.exe", ["--exe", exe, "--layout", "11006", "--out",
                                         "Z:" + str(out / "7-disagree.png").replace("/", "\\")], cwd=out, timeout=120)
    # The start page on a screen scaled to 150 %, as the framework draws it there.
    wine.run(binaries / "uxrender.exe", ["--exe", exe, "--layout", "11001", "--dpi", "144", "--out",
                                         "Z:" + str(out / "8-start-150.png").replace("/", "\\")], cwd=out, timeout=120)


def log_lines(log: Path) -> list:
    return log.read_bytes().decode("gbk", "replace").splitlines() if log.exists() else []


def log_time(line: str) -> float:
    """Seconds of the day of a log line ("YYYY-MM-DD HH:MM:SS mmm ...")."""
    match = re.match(r"\d{4}-\d\d-\d\d (\d\d):(\d\d):(\d\d) (\d{3})", line)
    if not match:
        return 0.0
    h, m, s, ms = map(int, match.groups())
    return h * 3600 + m * 60 + s + ms / 1000


# The log lines that tell the road, with what they mean.
ROAD_MARKS = {"加载配置结束": "configuration fetched and opened", "匹配渠道配置结束": "channel and trial matched",
              "检测安装环境结束": "machine checked", "CheckInstallCondition_end": "package condition evaluated",
              "下载安装包结束": "package downloaded", "校验安装包md5结束": "package MD5 verified",
              "加载安装包结束": "product installer started"}


def road_story(lines: list, package_size: int) -> list:
    """The configuration, conditions, download and verification as the log tells them."""
    story = []
    for line in lines:
        text = line[24:].strip() if len(line) > 24 else line
        meaning = next((meaning for mark, meaning in ROAD_MARKS.items() if mark in text), None)
        if meaning:
            story.append(f"  {meaning + ':':<35} {text}")
    begin = next((line for line in lines if "_DownloadSinglePacket_begin" in line), None)
    end = next((line for line in lines if "_DownloadSinglePacket_end" in line), None)
    if begin and end:
        seconds = max(log_time(end) - log_time(begin), 0.001)
        md5 = re.search(r"md5 = ([0-9A-F]{32})", begin)
        story.append(f"  package: {package_size} bytes in {seconds:.2f} s "
                     f"({package_size / seconds / 1024:.0f} KiB/s), expected MD5 {md5.group(1) if md5 else '?'}")
    return story


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deployment", default="local")
    parser.add_argument("--headless", action="store_true", help="drive the window on a private display")
    options, extra = parser.parse_known_args()

    # The 32-bit installer users download; where the kernel runs no 32-bit
    # programs, the same installer built for 64-bit Windows, in a 64-bit prefix.
    arch = wine_arch()
    binaries = REPO / "build" / f"{'win32' if arch == 'win32' else 'win64'}-{options.deployment}" / "bin"
    installer = REPO / "out" / options.deployment / "twinstall.exe" if arch == "win32" else binaries / "twinstall.exe"
    if arch == "win64":
        print("this machine runs no 32-bit x86 programs: the demo runs the installer built for 64-bit Windows "
              "in a 64-bit Wine prefix", flush=True)
    work = REPO / "build" / "demo"
    pictures = work / "pictures"
    shutil.rmtree(pictures, ignore_errors=True)
    work.mkdir(parents=True, exist_ok=True)
    display = None if options.headless else os.environ.get("DISPLAY")
    copy = work / "setup_1029_7.exe"
    shutil.copyfile(installer, copy)
    transcript = []
    started = time.monotonic()

    with PeerSet(REPO / "deploy" / f"{options.deployment}.ini") as peers, CityService(18082), \
            WineSession(REPO / "build" / ("wine" if arch == "win32" else "wine64"), display=display) as wine:
        product = (binaries / "tw_product_installer.exe").read_bytes()
        channel = peers["config"].serve_package_channel(1029, 7, PACKAGE, product,
                                                        "%TEMP%\\twdemo\\zorn_????.exe", attributes=ENTRY,
                                                        check=CHECK)
        peers["config"].set_file_faults(PACKAGE, FileFault(rate=len(product) / SECONDS_OF_DOWNLOAD))
        temp = temp_dir(wine)
        for name in ("tw_product_installer.txt", "tw_product_installer_stages.txt", "twinst.log", "twinst.log0"):
            (temp / name).unlink(missing_ok=True)
        kept_records_file(wine).unlink(missing_ok=True)  # records an earlier test run could not deliver
        subprocess.run(["wine", "reg", "delete", "HKLM\\SOFTWARE\\tarnwick\\Antivirus", "/f"], env=wine.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        recorded = temp / "tw_product_installer.txt"
        stages = temp / "tw_product_installer_stages.txt"

        mode = "you click" if display else "the demo clicks"
        print(f"running {copy.name} {' '.join(extra)} under Wine (DISPLAY {wine.env['DISPLAY']}, {mode})", flush=True)
        process = subprocess.Popen(["wine", str(copy), *extra], env=wine.env, cwd=work, stdin=subprocess.DEVNULL)
        driven = []
        try:
            if not display:
                driven = drive_window(desktop.Screen(wine, desktop.ControlMap(wine, binaries / "uxrender.exe", installer)), peers, recorded, stages, pictures)
            returncode = process.wait(timeout=900 if display else 120)
        finally:
            if process.poll() is None:
                process.kill()
        transcript.append(f"{copy.name} exited with code {returncode} after {time.monotonic() - started:.1f} s")
        if driven:
            transcript.append("\nthe window, driven through the X server:")
            transcript += driven

        transcript.append(f"\nthe channel's configuration ({len(peers['config'].served_body(1029))} bytes served "
                          f"wrapped with the service's key), opened:")
        transcript.append("  " + channel.decode())
        transcript.append("\nconfiguration and package service:")
        for request in peers["config"].requests:
            transcript.append(f"  {request.method} {request.target}")
        transcript.append("\nthe road, from the installer's log:")
        transcript += road_story(log_lines(temp / "twinst.log"), len(product))
        transcript.append("\nthe product installer's command line:")
        transcript.append("  " + (recorded.read_text("utf-8", "replace").strip() if recorded.exists() else "(not run)"))
        transcript.append("  it posted to the window: " + (", ".join(
            stages.read_text("utf-8", "replace").splitlines()) if stages.exists() else "nothing"))

        records = list(peers["telemetry"].records)
        (work / "telemetry.json").write_text(json.dumps(records, ensure_ascii=False, indent=1), encoding="utf-8")
        transcript.append(f"\ntelemetry: {len(records)} records (build/demo/telemetry.json)")
        transcript += ["  " + record_line(record) for record in records]
        transcript += ["  " + line for line in summarize(records)]
        log = temp / "twinst.log"
        transcript.append(f"\nthe installer's log ({log}):")
        transcript += log_lines(log) or ["(none)"]

        if not display:
            draw_other_pages(wine, binaries, installer, pictures)
            transcript.append(f"\npictures of the pages as they showed: {pictures} (1-start … 5-finished); "
                              f"pages a good day does not show, drawn from the same resources: 6-failed, 7-disagree; "
                              f"the start page at 150 %: 8-start-150")

    text = "\n".join(transcript)
    (work / "transcript.txt").write_text(text, encoding="utf-8")
    print(text[:8000])
    print(f"\ntranscript: {work / 'transcript.txt'}")
    if arch == "win64":
        print(shipped_file_not_run(options.deployment))
    return 0 if returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
