"""Runs every test of the project and ends with one line: N passed, N failed.

Native unit tests, the same tests under Wine, the Windows tests and the
end-to-end tests under Wine (peers started around them), the peers' own
tests and a short fuzzing run. Each program's results are counted per test
case from GoogleTest's JSON report; a program that dies without a report
counts as one failure.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO))

from tools.wine.session import WineSession, shipped_file_not_run, wine_arch  # noqa: E402
from tools.test import context  # noqa: E402
from peers.net_peer import NetPeers  # noqa: E402
from peers.tls_peer import TlsPeers  # noqa: E402


class Tally:
    def __init__(self):
        self.passed = self.failed = self.skipped = 0
        self.failures = []

    def add(self, name, passed=0, failed=0, skipped=0, failures=()):
        self.passed += passed
        self.failed += failed
        self.skipped += skipped
        self.failures += [f"{name}: {f}" for f in failures]
        print(f"  {name}: {passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""),
              flush=True)


def count_gtest_report(report: Path):
    data = json.loads(report.read_text(encoding="utf-8", errors="replace"))
    passed = failed = skipped = 0
    failures = []
    for suite in data.get("testsuites", []):
        for case in suite.get("testsuite", []):
            name = f"{suite['name']}.{case['name']}"
            if case.get("result") == "SKIPPED" or case.get("status") == "NOTRUN":
                skipped += 1
            elif case.get("failures"):
                failed += 1
                failures.append(name)
            else:
                passed += 1
    return passed, failed, skipped, failures


def run_gtest(tally, label, command, cwd: Path, report_name, runner=None, timeout=900):
    report = cwd / report_name
    report.unlink(missing_ok=True)
    args = [f"--gtest_output=json:{report_name}"]
    try:
        if runner is None:
            result = subprocess.run([*command, *args], cwd=cwd, timeout=timeout, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        else:
            result = runner(command[0], args, cwd, timeout)
        output = result.stdout.decode("utf-8", "replace") if result.stdout else ""
    except subprocess.TimeoutExpired as timeout_error:
        # What the program printed until then names the case that never ended.
        output = timeout_error.output.decode("utf-8", "replace") if timeout_error.output else ""
        print(output[-8000:])
        running = re.findall(r"^\[ RUN      \] (\S+)\r?$", output, re.MULTILINE)
        still = f" in {running[-1]}" if running and f"] {running[-1]} (" not in output else ""
        tally.add(label, failed=1, failures=[f"timed out after {timeout} s{still}"])
        return
    if not report.exists():
        print(output[-4000:])
        tally.add(label, failed=1, failures=[f"no report (exit code {result.returncode})"])
        return
    passed, failed, skipped, failures = count_gtest_report(report)
    if failed or (result.returncode != 0):
        print(output[-8000:])
        if result.returncode != 0 and not failed:
            failed, failures = 1, [f"exit code {result.returncode} with every case passing"]
    tally.add(label, passed, failed, skipped, failures)


def run_python_tests(tally, label, start_dir: Path):
    suite = unittest.defaultTestLoader.discover(str(start_dir), pattern="test_*.py", top_level_dir=str(REPO))
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=0).run(suite)
    bad = result.failures + result.errors
    tally.add(label, result.testsRun - len(bad) - len(result.skipped), len(bad), len(result.skipped),
              [str(test) for test, _ in bad])


def registered(tree: Path, label: str) -> list:
    """The programs the build registered with CTest under `label`, in order."""
    listing = subprocess.run(["ctest", "--test-dir", str(tree), "-N", "-L", f"^{label}$"], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=120).stdout.decode("utf-8", "replace")
    return re.findall(r"Test\s+#\d+: (\S+)", listing)


def run_fuzz(tally, seconds):
    fuzz_bin = REPO / "build" / "fuzz" / "fuzz"
    for target in registered(REPO / "build" / "fuzz", "fuzz"):
        corpus = REPO / "fuzz" / "corpus" / target.replace("_fuzz", "")
        work = REPO / "build" / "fuzz" / f"{target}-corpus"
        work.mkdir(parents=True, exist_ok=True)
        try:
            result = subprocess.run([str(fuzz_bin / target), f"-max_total_time={seconds}", "-max_len=4096",
                                     "-print_final_stats=0", str(work), str(corpus)],
                                    cwd=work, timeout=seconds + 120, stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT)
            ok = result.returncode == 0
            if not ok:
                print(result.stdout.decode("utf-8", "replace")[-4000:])
        except subprocess.TimeoutExpired:
            ok = False
        tally.add(f"fuzz {target} ({seconds} s)", passed=int(ok), failed=int(not ok),
                  failures=[] if ok else ["crashed"])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deployment", default="local")
    parser.add_argument("--fuzz-seconds", type=int, default=int(os.environ.get("TW_FUZZ_SECONDS", "10")))
    options = parser.parse_args()

    tally = Tally()
    native_bin = REPO / "build" / "native" / "bin"
    win_bin = REPO / "build" / f"win32-{options.deployment}" / "bin"

    print("native", flush=True)
    for program in registered(native_bin.parent, "gtest"):
        run_gtest(tally, f"{program} (native)", [str(native_bin / program)], native_bin, f"{program}.json")
    run_python_tests(tally, "peers", REPO / "peers")
    run_python_tests(tally, "operators' tools", REPO / "operators")
    run_python_tests(tally, "source rules", REPO / "tests" / "source")

    arch = wine_arch()
    os.environ["TW_WINE_ARCH"] = arch  # the session and the end-to-end tests follow it
    win_bin = REPO / "build" / f"{'win32' if arch == 'win32' else 'win64'}-{options.deployment}" / "bin"
    if arch == "win64":
        print("under Wine: this machine runs no 32-bit x86 programs, so the Windows test programs run as "
              "64-bit programs in a 64-bit prefix (the installer shipped stays 32-bit)", flush=True)
    else:
        print("under Wine", flush=True)
    with WineSession(REPO / "build" / ("wine" if arch == "win32" else "wine64")) as wine:
        def runner(program, args, cwd, timeout):
            return wine.run(Path(program), args, cwd=cwd, timeout=timeout)

        with NetPeers(), TlsPeers():
            for program in registered(win_bin.parent, "gtest"):
                run_gtest(tally, f"{program} (Wine)", [str(win_bin / f"{program}.exe")], win_bin,
                          f"{program}.json", runner=runner)
        # The Python end-to-end tests start the deployment's peers themselves.
        context.enter(wine, options.deployment)
        run_python_tests(tally, "e2e with peers (Wine)", REPO / "tests" / "e2e")

    if options.fuzz_seconds > 0:
        print("fuzzing", flush=True)
        run_fuzz(tally, options.fuzz_seconds)
        # Built in the sanitized tree beside the fuzz targets.
        fuzz_bin = REPO / "build" / "fuzz" / "fuzz"
        for program in registered(REPO / "build" / "fuzz", "gtest"):
            run_gtest(tally, f"{program} (ASan)", [str(fuzz_bin / program)], fuzz_bin, f"{program}.json")
    else:
        print("fuzzing: not run (TW_FUZZ_SECONDS=0), nor the sanitized framework tests", flush=True)

    for failure in tally.failures:
        print(f"FAILED {failure}")
    summary = f"{tally.passed} passed, {tally.failed} failed"
    if tally.skipped:
        summary += f", {tally.skipped} skipped"
    print(summary)
    if arch == "win64":
        print(shipped_file_not_run(options.deployment))
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
