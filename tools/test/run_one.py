"""Runs one Windows test program (optionally with GoogleTest arguments) in
the Wine session with the network peers up, as ./run test would:
    python3 -m tools.test.run_one telemetry_tests --gtest_filter='ReportQueue*'
or, with `--e2e MODULE`, one Python end-to-end module (its peers are its own).
A program may also be given as the path of its .exe (CTest does: see
tools/test/ctest_wine.sh)."""
import argparse
import os
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

from peers.net_peer import NetPeers  # noqa: E402
from peers.tls_peer import TlsPeers  # noqa: E402
from tools.test import context  # noqa: E402
from tools.wine.session import WineSession, wine_arch  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", help="a test program's name, or an e2e module with --e2e")
    parser.add_argument("--e2e", action="store_true")
    parser.add_argument("--deployment", default="local")
    options, rest = parser.parse_known_args()
    arch = wine_arch()
    os.environ["TW_WINE_ARCH"] = arch
    tree = "win32" if arch == "win32" else "win64"
    with WineSession(REPO / "build" / ("wine" if arch == "win32" else "wine64")) as wine:
        if options.e2e:
            context.enter(wine, options.deployment)
            suite = unittest.defaultTestLoader.loadTestsFromName(options.program)
            return 0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1
        program = Path(options.program)
        if program.suffix != ".exe":
            program = REPO / "build" / f"{tree}-{options.deployment}" / "bin" / f"{options.program}.exe"
        with NetPeers(), TlsPeers():
            result = wine.run(program.resolve(), rest, cwd=program.resolve().parent, timeout=1800)
        sys.stdout.write(result.stdout.decode("utf-8", "replace") if result.stdout else "")
        return result.returncode


if __name__ == "__main__":
    sys.exit(main())
