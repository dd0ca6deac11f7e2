"""The silent road under faults of the services around it, one row each:
the installer must end with exit code 0, install only when it can, leave no
package behind when it does not, and keep reporting what happened."""
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from peers.services import PeerSet
from tools.test import context

PACKAGE = "zorn_setup.exe"
TARGET = "%TEMP%\\twfault\\zorn_????.exe"


def _wine_temp(wine) -> Path:
    temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=wine.env, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
    return Path(subprocess.run(["winepath", "-u", temp.stdout.decode("gbk", "replace").strip()], env=wine.env,
                               stdout=subprocess.PIPE, timeout=60).stdout.decode().strip())


def good_channel(peers, product):
    peers["config"].serve_package_channel(1029, 7, PACKAGE, product, TARGET)


# Each row: how to break the world, whether the product installer must run.
ROWS = {
    "all services well": (lambda peers, product: good_channel(peers, product), True),
    "configuration garbage": (lambda peers, product: peers["config"].serve_document(1029, "garbage"), False),
    "configuration empty": (lambda peers, product: peers["config"].serve_document(1029, "empty"), False),
    "configuration truncated (a bad RSA block)":
        (lambda peers, product: peers["config"].serve_document(1029, "truncated"), False),
    "configuration missing (404)": (lambda peers, product: peers["config"].serve_document(1029, "missing"), False),
    "package missing (404)": (lambda peers, product: (good_channel(peers, product),
                                                      peers["config"].forget_file(PACKAGE)), False),
    "package with a wrong MD5": (lambda peers, product: peers["config"].serve_package_channel(
        1029, 7, PACKAGE, product, TARGET, md5="0" * 32), False),
    "union file garbage": (lambda peers, product: (good_channel(peers, product),
                                                   peers["config"].set_container_state("unioncfg", "garbage")), True),
    "union file missing": (lambda peers, product: (good_channel(peers, product),
                                                   peers["config"].set_container_state("unioncfg", "empty")), True),
    "telemetry answers garbage": (lambda peers, product: (good_channel(peers, product),
                                                          setattr(peers["telemetry"], "ack_mode", "garbage")), True),
    "telemetry answers 500": (lambda peers, product: (good_channel(peers, product),
                                                      setattr(peers["telemetry"], "ack_mode", "status500")), True),
    "telemetry service down": (lambda peers, product: (good_channel(peers, product), peers["telemetry"].stop()), True),
    "product installer fails": (lambda peers, product: peers["config"].serve_package_channel(
        1029, 7, PACKAGE, product, TARGET, attributes='param="mode=fail"'), True),
}


class FaultMatrixTest(unittest.TestCase):
    def setUp(self):
        self.wine = context.wine_session()
        self.work = Path(tempfile.mkdtemp(prefix="tw-fault-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        self.temp = _wine_temp(self.wine)
        self.product = (context.installer().parent / "tw_product_installer.exe").read_bytes()

    def run_row(self, name, breaks, installs):
        recorded = self.temp / "tw_product_installer.txt"
        recorded.unlink(missing_ok=True)
        context.forget_install_state(self.wine)
        shutil.rmtree(self.temp / "twfault", ignore_errors=True)
        with PeerSet(context.deployment_file()) as peers:
            breaks(peers, self.product)
            copy = self.work / "setup_1029_7_silent.exe"
            shutil.copyfile(context.installer(), copy)
            result = self.wine.run(copy, [], cwd=self.work, timeout=300)
            self.assertEqual(result.returncode, 0, f"{name}: {result.stdout!r}")
            self.assertEqual(recorded.exists(), installs, f"{name}: did the product installer run?")
            leftovers = list((self.temp / "twfault").glob("*")) if (self.temp / "twfault").exists() else []
            if not installs:
                self.assertEqual(leftovers, [], f"{name}: a package was left behind")
            records = peers["telemetry"].records
            steps = [(b["fields"]["step"], b["fields"]["step_result"]) for r in records for b in r["blocks"]
                     if b["table"] == 7706]
            if name != "telemetry service down":
                self.assertTrue(any(b["table"] == 6139 for r in records for b in r["blocks"]),
                                f"{name}: the final record")
            print(f"  {name}: exit 0, installer {'ran' if recorded.exists() else 'not run'}, steps {steps}")
            return steps

    def test_every_row(self):
        outcomes = {}
        for name, (breaks, installs) in ROWS.items():
            with self.subTest(row=name):
                outcomes[name] = self.run_row(name, breaks, installs)
        # Failures are reported with a non-zero result at the step they stopped.
        for name in ("configuration garbage", "configuration empty", "configuration missing (404)"):
            self.assertTrue(any(step == 11 and result != 0 for step, result in outcomes.get(name, [])), name)
        self.assertTrue(any(step in (30, 31) and result != 0 for step, result in outcomes["package missing (404)"]))
        self.assertTrue(any(result != 0 for step, result in outcomes["package with a wrong MD5"] if step >= 30))


if __name__ == "__main__":
    unittest.main()
