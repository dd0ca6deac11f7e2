"""The C++ sources the source rules read: the product's layers, the tools,
benchmarks, fuzz targets and tests."""
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
FOLDERS = ("platform", "net", "telemetry", "survey", "config", "ui", "install", "windows", "app", "resources",
           "tools", "bench", "fuzz", "tests", "peers")


def source_files(suffixes=(".cpp", ".h")):
    """(repository-relative name, path) of every source with one of `suffixes`."""
    for folder in FOLDERS:
        for path in sorted((REPO / folder).rglob("*")):
            if path.suffix in suffixes:
                yield path.relative_to(REPO).as_posix(), path


def numbered_lines(path):
    return enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1)
