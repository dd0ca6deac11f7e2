"""Runs each fuzz target for a fixed time (./run fuzz SECONDS)."""
import argparse
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

from tools.test.run_all import Tally, run_fuzz  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=int, default=60)
    options = parser.parse_args()
    tally = Tally()
    run_fuzz(tally, options.seconds)
    print(f"{tally.passed} passed, {tally.failed} failed")
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
