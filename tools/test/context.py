"""What run_all.py shares with the Python end-to-end tests it runs: the one
Wine session of the test run and the deployment under test."""
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
_wine = None
_deployment = "local"


def enter(wine, deployment):
    global _wine, _deployment
    _wine, _deployment = wine, deployment


def wine_session():
    if _wine is None:
        raise unittest.SkipTest("needs the Wine session of ./run test")
    return _wine


def installer() -> Path:
    """The installer the Wine session runs: 32-bit, or its 64-bit build where
    the machine runs no 32-bit programs."""
    from tools.wine.session import wine_arch
    tree = "win32" if wine_arch() == "win32" else "win64"
    return REPO / "build" / f"{tree}-{_deployment}" / "bin" / "twinstall.exe"


def shipped_installer() -> Path:
    """The 32-bit installer as users download it."""
    return REPO / "build" / f"win32-{_deployment}" / "bin" / "twinstall.exe"


def deployment_file() -> Path:
    return REPO / "deploy" / f"{_deployment}.ini"


CACHE_KEY = ("HKLM\\SOFTWARE\\Classes\\CLSID\\{79B5BC47-CEA1-4772-B433-7D1B3139F278}\\Implemented Categories\\"
             "{607568DD-B059-434b-B7E7-38EC51998F8E}")


def machine_folder(wine) -> Path:
    """The installer's folder in the machine's data (only administrators may change it)."""
    return Path(wine.env["WINEPREFIX"]) / "drive_c" / "ProgramData" / "Tarnwick" / "TwInstall"


def kept_records_file(wine) -> Path:
    """Where the installer keeps telemetry records it could not deliver."""
    return machine_folder(wine) / "pending_records.dat"


def work_folder(wine) -> Path:
    """Where the installer writes, verifies and starts what it downloads."""
    return machine_folder(wine) / "Work"


def forget_install_state(wine, cid=1029, tid=7):
    """The product's registry state, the package cache of one channel and
    the kept telemetry records, as a machine that never installed has them."""
    import subprocess
    kept_records_file(wine).unlink(missing_ok=True)
    commands = [["reg", "delete", "HKLM\\SOFTWARE\\tarnwick\\Antivirus", "/f"]]
    commands += [["reg", "delete", CACHE_KEY, "/v", f"PacketPath_{cid}_{tid}_{i}", "/f"] for i in (1, 2, 3)]
    for command in commands:
        subprocess.run(["wine", *command], env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
