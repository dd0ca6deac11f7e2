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
    return REPO / "build" / f"win32-{_deployment}" / "bin" / "twinstall.exe"


def deployment_file() -> Path:
    return REPO / "deploy" / f"{_deployment}.ini"
