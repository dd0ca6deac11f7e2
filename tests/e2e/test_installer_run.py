"""The installer under Wine against the vendor's services on loopback: a
copy named for a silent channel installs end to end without a window."""
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from peers.services import PeerSet
from tools.test import context


class SilentInstallTest(unittest.TestCase):
    def setUp(self):
        self.wine = context.wine_session()
        self.work = Path(tempfile.mkdtemp(prefix="tw-e2e-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)
        temp = subprocess.run(["wine", "cmd", "/c", "echo %TEMP%"], env=self.wine.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        unix = subprocess.run(["winepath", "-u", temp.stdout.decode("gbk", "replace").strip()], env=self.wine.env,
                              stdout=subprocess.PIPE, timeout=60).stdout.decode().strip()
        self.temp = Path(unix)
        for name in ("tw_product_installer.txt", "twinst.log", "twinst.log0"):
            (self.temp / name).unlink(missing_ok=True)
        context.forget_install_state(self.wine)

    def run_as(self, file_name, *args):
        copy = self.work / file_name
        shutil.copyfile(context.installer(), copy)
        return self.wine.run(copy, args, cwd=self.work, timeout=300)

    def test_silent_channel_installs_end_to_end(self):
        installer = context.installer().parent / "tw_product_installer.exe"
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, "installer.exe", installer.read_bytes(),
                                                  "%TEMP%\\twe2e\\setup_????.exe")

            result = self.run_as("setup_1029_7_silent.exe")
            self.assertEqual(result.returncode, 0, result.stdout)

            paths = [r.path for r in peers["config"].requests]
            self.assertIn("/lminstall3/1029.json", paths)
            self.assertIn("/files/installer.exe", paths)

            recorded = (self.temp / "tw_product_installer.txt").read_text("utf-8", "replace")
            self.assertIn('/autoinstall ##silence=0&installpath="C:\\Program Files\\tarnwick\\tarnwick antivirus\\"'
                          '&hwnd=', recorded)
            self.assertIn("&noshowinstalldlg=1", recorded)

            telemetry = peers["telemetry"]
            blocks = [b for record in telemetry.records for b in record["blocks"]]
            steps = [(b["fields"]["step"], b["fields"]["step_result"]) for b in blocks if b["table"] == 7706]
            for step in (0, 11, 20, 30, 40, 50):
                self.assertIn((step, 0), steps, steps)
            self.assertEqual([s for s, _ in steps], sorted(s for s, _ in steps), "step records in the road's order")
            self.assertTrue(any(b["table"] == 6139 for b in blocks), "the final record")
            ui = [b for b in blocks if b["table"] == 7787]
            self.assertEqual(len(ui), 1, "one UI record")
            self.assertEqual(ui[0]["bits"], [0, 0, 0, 0], "silent: no tray click, no leaving, no user agreement")
            self.assertEqual(ui[0]["fields"]["outcome"], 1)

            log = (self.temp / "twinst.log").read_bytes().decode("gbk", "replace")
            position = 0
            for line in ("TwMain::_Init nCompanyID = 1029 nTrynoID = 7", "_RunDetector start nAction = 3",
                         "_RunDetector end nAction = 3", "_RunDetector start nAction = 4",
                         "_RunDetector end nAction = 4"):
                found = log.find(line, position)
                self.assertGreaterEqual(found, 0, f"missing or out of order: {line}")
                position = found


if __name__ == "__main__":
    unittest.main()
