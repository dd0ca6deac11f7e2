"""The window road of the real installer with the keyboard alone, as a
person without a mouse goes it: the leave question asked with Escape and
answered, the disagree overlay opened and closed, the path panel unfolded
and a path typed into it, agreement, and the finished page left by its
button. xdotool sends only keys, to whatever window has the focus; the
install proves that every key landed where it should."""
import shutil
import subprocess
import unittest

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, step_records
from tests.e2e.test_window_road import WindowMachineCase
from tools.test import context
from tools.wine import screen as desktop

TYPED_PATH = r"C:\Keyboard Only\Zorn"


class KeyboardRoadTest(WindowMachineCase):
    WORK_PREFIX = "tw-keyboard-road-"

    def visible_titles(self):
        found = self.screen._run("xdotool", "search", "--onlyvisible", "--name", ".").split()
        return [self.screen._run("xdotool", "getwindowname", w).decode("utf-8", "replace").strip() for w in found]

    def changed_from(self, window, before, what):
        """The window's picture once it differs from `before` and stops changing."""
        desktop.wait_until(lambda: self.screen.pixels(window) != before, 30, what)
        return self.screen.settled(window)

    def give_keyboard(self, window):
        """No window manager runs: the test gives the window the keyboard as
        one would when it appears or its dialog goes."""
        self.screen._run("xdotool", "windowfocus", "--sync", window)

    def keys(self, *keys):
        for key in keys:
            self.screen.key(key)

    def test_the_whole_road_without_a_mouse(self):
        self.fresh_machine()
        stages = self.temp / "tw_product_installer_stages.txt"
        stages.unlink(missing_ok=True)
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET,
                                                  attributes='param="linger=10000"')
            copy = self.work / "setup_1029_7.exe"
            shutil.copyfile(context.installer(), copy)
            process = subprocess.Popen(["wine", str(copy)], env=self.wine.env, cwd=self.work,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                window = desktop.wait_until(self.screen.main_window, 60, "the main window")
                start = self.screen.settled(window)
                self.give_keyboard(window)
                # Tab: the focus cue on "同意并安装".
                self.keys("Tab")
                focused = self.changed_from(window, start, "the focus cue")
                (context.installer().parent / "ui-actual" / "keyboard_focus_cue.png").write_bytes(focused)
                # Escape asks the leave question as Alt+F4 does; Escape in the box stays.
                self.keys("Escape")
                desktop.wait_until(lambda: "Tarnwick Zorn" in self.visible_titles(), 30, "the leave question")
                self.keys("Escape")
                desktop.wait_until(lambda: "Tarnwick Zorn" not in self.visible_titles(), 30, "the question answered")
                self.assertIsNone(process.poll(), "staying was chosen")
                self.give_keyboard(window)
                # "不同意" opens the overlay; its last control, the close button, closes it.
                focused = self.screen.settled(window)
                self.keys("Tab", "Return")
                overlay = self.changed_from(window, focused, "the disagree overlay")
                self.keys("shift+Tab", "Return")
                self.changed_from(window, overlay, "the overlay closed")
                # The path panel: "自定义安装" is three further stops on; the
                # edit box follows it, its text chosen whole.
                self.keys("Tab", "Tab", "Tab", "space")
                self.keys("Tab")
                self.screen.type(TYPED_PATH)
                # On past "浏览", the window's buttons, to "同意并安装", and agree.
                self.keys("Tab", "Tab", "Tab", "Tab", "Return")
                desktop.wait_until(lambda: (51, 0) in step_records(peers), 90, "the product installer's start")
                # The finished page: its button is the first stop.
                finished = self.screen.settled(window)
                self.keys("Tab")
                self.changed_from(window, finished, "the focus on the finished page's button")
                self.keys("Return")
                self.assertEqual(process.wait(timeout=60), 0)
                self.assertNotIn("stage 5", stages.read_text("utf-8"), "the window closed by its button")
            finally:
                if process.poll() is None:
                    process.kill()
            # The product installer posts its last stage and leaves before the
            # next test starts one of its own (a lingering one ends the next road).
            desktop.wait_until(lambda: stages.exists() and "stage 5" in stages.read_text(encoding="utf-8"), 60,
                               "the product installer to finish")
        recorded = self.recorded.read_text("utf-8", "replace")
        self.assertIn(f'installpath="{TYPED_PATH}', recorded, "the typed path reached the product installer")


if __name__ == "__main__":
    unittest.main()
