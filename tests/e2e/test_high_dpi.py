"""The real installer on a screen scaled to 150 %: the prefix's DPI set to
144 as Windows' display setting does, the window opens at 870 × 615 and is
clicked through at the scaled places of its controls (asked of the layout
renderer at the same DPI) to the finished page."""
import subprocess
import unittest

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, step_records
from tests.e2e.test_window_road import WindowMachineCase
from tools.test import context
from tools.wine import screen as desktop

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


class HighDpiWindowTest(WindowMachineCase):
    WORK_PREFIX = "tw-high-dpi-"

    def set_dpi(self, dpi):
        done = subprocess.run(["wine", "reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                               str(dpi), "/f"], env=self.wine.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60)
        self.assertEqual(done.returncode, 0)

    def setUp(self):
        super().setUp()
        self.set_dpi(144)
        self.addCleanup(self.set_dpi, 96)

    def test_the_window_opens_scaled_and_its_controls_answer_where_they_are_drawn(self):
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET,
                                                  attributes='param="linger=10000"')
            sizes = []
            original = self.screen.settled

            def settled(window, timeout=15.0):
                sizes.append(self.screen.geometry(window))
                return original(window, timeout)
            self.screen.settled = settled
            stages = self.temp / "tw_product_installer_stages.txt"
            stages.unlink(missing_ok=True)
            self.assertEqual(self.run_window(peers, desktop.FINISHED_BUTTON), 0)
            self.assertIn((51, 0), step_records(peers))
            # The product installer posts its last stage and leaves before the
            # next test starts one of its own (a lingering one ends the next road).
            desktop.wait_until(lambda: stages.exists() and "stage 5" in stages.read_text(encoding="utf-8"), 60,
                               "the product installer to finish")
        self.assertEqual((sizes[0]["WIDTH"], sizes[0]["HEIGHT"]), (870, 615), "580 × 410 at 150 %")
        self.assertTrue(self.recorded.exists())


if __name__ == "__main__":
    unittest.main()
