"""The window road of the real installer under the faults a user meets, the
window clicked through the X server as a user does: "同意并安装", then the
button of the page the road ends on. The button is there only when the
right page shows, so the click that closes the window proves the page."""
import shutil
import subprocess
import time
import unittest

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase, step_records
from tools.test import context
from tools.wine import screen as desktop


class WindowMachineCase(InstallerMachineCase):
    """The machine, and the real window on its X display."""

    def setUp(self):
        super().setUp()
        installer = context.installer()
        self.screen = desktop.Screen(self.wine, desktop.ControlMap(self.wine, installer.parent / "uxrender.exe", installer))

    def run_window(self, peers, last_button, window_within=60):
        """Agrees, then presses `last_button` on the page the road ends on;
        returns the exit code. The time to the first page is in
        `self.seconds_to_window`."""
        self.fresh_machine()
        copy = self.work / "setup_1029_7.exe"
        shutil.copyfile(context.installer(), copy)
        started = time.monotonic()
        process = subprocess.Popen(["wine", str(copy)], env=self.wine.env, cwd=self.work, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = desktop.wait_until(self.screen.main_window, window_within, "the main window")
            self.seconds_to_window = time.monotonic() - started
            self.screen.settled(window)
            self.screen.press(window, desktop.AGREE_AND_INSTALL)
            # The road ends with a failing step or the launch; its page is up once the window stops changing.
            desktop.wait_until(lambda: any(result != 0 or step == 51 for step, result in step_records(peers)),
                               60, "the road's end")
            self.screen.settled(window)
            self.screen.press(window, last_button)
            return process.wait(timeout=60)
        finally:
            if process.poll() is None:
                process.kill()


class WindowRoadTest(WindowMachineCase):
    WORK_PREFIX = "tw-window-road-"

    def test_configuration_missing_shows_the_network_page_and_leaves(self):
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_document(1029, "missing")
            self.assertEqual(self.run_window(peers, desktop.FAILED_BUTTON), 0)
            self.assertIn((11, 50), step_records(peers))
        self.assertFalse(self.recorded.exists())

    def test_a_wrong_md5_shows_the_failed_page_and_leaves_nothing(self):
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET, md5="0" * 32)
            self.assertEqual(self.run_window(peers, desktop.FAILED_BUTTON), 0)
            self.assertIn((41, 251), step_records(peers))
        self.assertFalse(self.recorded.exists())
        self.assertEqual(self.leftovers(), [])

    def test_all_well_shows_the_finished_page(self):
        stages = self.temp / "tw_product_installer_stages.txt"
        stages.unlink(missing_ok=True)
        with PeerSet(context.deployment_file()) as peers:
            # The product installer holds its last stage, which would close the window by itself, for 10 s.
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET,
                                                  attributes='param="linger=10000"')
            self.assertEqual(self.run_window(peers, desktop.FINISHED_BUTTON), 0)
            posted = stages.read_text(encoding="utf-8")
            self.assertIn("succeeded (1136)", posted)
            self.assertNotIn("stage 5", posted, "the window closed by its button, not by the last stage")
            self.assertIn((51, 0), step_records(peers))
        self.assertTrue(self.recorded.exists())


class WindowFirstTest(WindowMachineCase):
    """The first page shows while a service never answers; the road then
    goes on as far as that service allows."""
    WORK_PREFIX = "tw-window-first-"
    # Far below what a silent service used to cost before the first page
    # (10 s for the self-update file, 300 s for the recommendation).
    WINDOW_WITHIN = 8

    def run_silent(self, service):
        """The window agreed to as a user does; returns the step records
        once the installer has ended (by itself after the launch)."""
        self.fresh_machine()
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            if service == "telemetry":
                peers["telemetry"].ack_mode = "silent"
                peers["telemetry"].silent_seconds = 120
            elif service:
                peers["config"].silent.add(service)
            copy = self.work / "setup_1029_7.exe"
            shutil.copyfile(context.installer(), copy)
            started = time.monotonic()
            process = subprocess.Popen(["wine", str(copy)], env=self.wine.env, cwd=self.work,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                window = desktop.wait_until(self.screen.main_window, self.WINDOW_WITHIN, "the main window")
                print(f"  {service or 'every service answering'}: the first page after "
                      f"{time.monotonic() - started:.1f} s", flush=True)
                self.screen.settled(window)
                self.screen.press(window, desktop.AGREE_AND_INSTALL)
                if service == "config":
                    # The network page, left by its button.
                    desktop.wait_until(lambda: (11, 50) in step_records(peers), 60, "the configuration's failure")
                    self.screen.settled(window)
                    self.screen.press(window, desktop.FAILED_BUTTON)
                self.assertEqual(process.wait(timeout=120), 0)
            finally:
                if process.poll() is None:
                    process.kill()
            return step_records(peers)

    def test_every_service_answering(self):
        self.assertIn((51, 0), self.run_silent(""))
        self.assertTrue(self.recorded.exists())

    def test_self_update_never_answers(self):
        self.assertIn((51, 0), self.run_silent("update"))
        self.assertTrue(self.recorded.exists())

    def test_recommendation_never_answers(self):
        self.assertIn((51, 0), self.run_silent("rcmd"))
        self.assertIn("DownloadCfgFile Failed", self.recorded.read_text("utf-8", "replace"),
                      "the switches say the file never came")

    def test_telemetry_never_answers(self):
        self.run_silent("telemetry")
        self.assertTrue(self.recorded.exists(), "the product installer ran")
        self.assertTrue(context.kept_records_file(self.wine).exists(), "the records wait for the next run")

    def test_configuration_never_answers(self):
        self.run_silent("config")
        self.assertFalse(self.recorded.exists())


if __name__ == "__main__":
    unittest.main()
