"""The window road of the real installer under the faults a user meets, the
window clicked through the X server as a user does: "同意并安装", then the
button of the page the road ends on. The button is there only when the
right page shows, so the click that closes the window proves the page."""
import shutil
import subprocess
import unittest

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase, step_records
from tools.test import context
from tools.wine import screen as desktop


class WindowMachineCase(InstallerMachineCase):
    """The machine, and the real window on its X display."""

    def setUp(self):
        super().setUp()
        self.screen = desktop.Screen(self.wine)

    def run_window(self, peers, last_button):
        """Agrees, then presses `last_button` on the page the road ends on;
        returns the exit code."""
        self.fresh_machine()
        copy = self.work / "setup_1029_7.exe"
        shutil.copyfile(context.installer(), copy)
        process = subprocess.Popen(["wine", str(copy)], env=self.wine.env, cwd=self.work, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = desktop.wait_until(self.screen.main_window, 60, "the main window")
            self.screen.settled(window)
            self.screen.click(window, desktop.AGREE_AND_INSTALL)
            # The road ends with a failing step or the launch; its page is up once the window stops changing.
            desktop.wait_until(lambda: any(result != 0 or step == 51 for step, result in step_records(peers)),
                               60, "the road's end")
            self.screen.settled(window)
            self.screen.click(window, last_button)
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


if __name__ == "__main__":
    unittest.main()
