"""The tree and the Wine prefix the benchmarks run under Wine: the 32-bit
ones, or where the kernel runs no 32-bit programs the same code built for
64-bit Windows in the 64-bit prefix (ratios then describe that build)."""
from pathlib import Path

from tools.wine.session import wine_arch


def binaries(repo: Path, deployment) -> Path:
    return repo / "build" / f"{'win32' if wine_arch() == 'win32' else 'win64'}-{deployment}" / "bin"


def prefix(repo: Path) -> Path:
    return repo / "build" / ("wine" if wine_arch() == "win32" else "wine64")
