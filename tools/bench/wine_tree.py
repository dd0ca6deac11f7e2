"""The tree and the Wine prefix the benchmarks run under Wine: the 32-bit
ones, or where the kernel runs no 32-bit programs the same code built for
64-bit Windows in the 64-bit prefix (ratios then describe that build)."""
from pathlib import Path

from tools.wine.session import wine_arch


def binaries(repo: Path, deployment) -> Path:
    return repo / "build" / f"{'win32' if wine_arch() == 'win32' else 'win64'}-{deployment}" / "bin"


def libraries(repo: Path, deployment) -> Path:
    """The cross-built libraries the tree links (their bin/ holds curl.exe of the same libcurl)."""
    cache = binaries(repo, deployment).parent / "CMakeCache.txt"
    for line in cache.read_text().splitlines():
        if line.startswith("TW_DEPS_PREFIX:PATH="):
            return Path(line.split("=", 1)[1])
    raise RuntimeError(f"{cache} names no Windows libraries")


def prefix(repo: Path) -> Path:
    return repo / "build" / ("wine" if wine_arch() == "win32" else "wine64")
