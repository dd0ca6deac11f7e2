"""Chinese names where most of our users have them: the temporary folder
under a Chinese user name, the installer started from a Chinese Downloads
folder under a Chinese file name, an install path typed as D:\\软件\\Zorn.
The road must read its channel from the name, download, verify and launch
the package in that temporary folder, hand the product installer the path
as typed, and write its log there, readable."""
import shutil
import subprocess
import unittest
from pathlib import Path

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase, step_records
from tests.e2e.test_window_road import WindowMachineCase
from tools.test import context
from tools.wine import screen as desktop

USER_TEMP = "C:\\users\\张伟\\AppData\\Local\\Temp"
DOWNLOADS = "下载"
CHINESE_NAME = "佐恩安装程序_1029_7_silent.exe"
ENVIRONMENT = "HKCU\\Environment"
INSTALL_PATH = "D:\\软件\\Zorn"


def wine_output(wine, *command) -> str:
    done = subprocess.run(["wine", *command], env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=60)
    return done.stdout.decode("gbk", "replace")


def unix_path(wine, windows_path: str) -> Path:
    return Path(subprocess.run(["winepath", "-u", windows_path], env=wine.env, stdout=subprocess.PIPE,
                               timeout=60).stdout.decode().strip())


class ChineseMachine:
    """What a test changes on the shared machine, undone by its clean-up."""

    def use_temp(self, windows_path: str):
        """The user's temporary folder (TEMP and TMP in HKCU\\Environment, as
        Windows keeps them); the values the machine had come back afterwards."""
        for name in ("TEMP", "TMP"):
            kept = [line.split(None, 2) for line in wine_output(self.wine, "reg", "query", ENVIRONMENT, "/v", name)
                    .splitlines() if line.strip().startswith(name)]
            self.reg("add", ENVIRONMENT, "/v", name, "/t", "REG_SZ", "/d", windows_path, "/f")
            if kept and len(kept[0]) == 3:
                self.addCleanup(self.reg, "add", ENVIRONMENT, "/v", name, "/t", kept[0][1], "/d", kept[0][2], "/f")
        self.temp = unix_path(self.wine, windows_path)
        self.temp.mkdir(parents=True, exist_ok=True)
        self.recorded = self.temp / "tw_product_installer.txt"
        self.assertEqual(wine_output(self.wine, "cmd", "/c", "echo %TEMP%").strip(), windows_path)

    def reg(self, *args):
        subprocess.run(["wine", "reg", *args], env=self.wine.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)

    def log(self) -> str:
        # The log is written in the system's code page, 936 on a Chinese Windows.
        return (self.temp / "twinst.log").read_bytes().decode("gbk")


class ChineseSilentRoadTest(ChineseMachine, InstallerMachineCase):
    WORK_PREFIX = "tw-chinese-"

    ROWS = {
        # row: (the user's temporary folder or None for the machine's, the installer's folder, its file name)
        "temp under a Chinese user name": (USER_TEMP, "", "setup_1029_7_silent.exe"),
        "a Chinese Downloads folder and file name": (None, DOWNLOADS, CHINESE_NAME),
        "both": (USER_TEMP, DOWNLOADS, CHINESE_NAME),
    }

    def run_row(self, temp, folder, name):
        if temp:
            self.use_temp(temp)
        self.fresh_machine()
        for old in ("twinst.log", "twinst.log0"):
            (self.temp / old).unlink(missing_ok=True)
        where = self.work / folder
        where.mkdir(exist_ok=True)
        copy = where / name
        shutil.copyfile(context.installer(), copy)
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            done = subprocess.run(["wine", str(copy)], env=self.wine.env, cwd=where, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
            self.assertEqual(done.returncode, 0, done.stdout[-2000:])
            self.assertIn((51, 0), step_records(peers), "the package was launched")

        recorded = self.recorded.read_text("utf-8")
        package = "C:\\ProgramData\\Tarnwick\\TwInstall\\Work\\zorn_"
        self.assertTrue(recorded.lstrip('"').lower().startswith(package.lower()),
                        f"the product installer runs from the package in the work folder: {recorded}")
        self.assertIn('&installpath="C:\\Program Files\\tarnwick\\tarnwick antivirus\\"', recorded)
        log = self.log()
        self.assertTrue("TwMain::_Init nCompanyID = 1029 nTrynoID = 7" in log, "the channel read from the file name")
        self.assertTrue(f"file = {package}".lower() in log.lower(), f"the package's path, readable: {log[-600:]}")

    def test_every_row(self):
        for row, (temp, folder, name) in self.ROWS.items():
            with self.subTest(row=row):
                self.run_row(temp, folder, name)
                print(f"  {row}: installed", flush=True)


class ChineseInstallPathTest(ChineseMachine, WindowMachineCase):
    WORK_PREFIX = "tw-chinese-window-"

    def use_drive_d(self) -> Path:
        """A D: drive of the test's own (a folder of its work folder)."""
        drive = self.work / "drive_d"
        drive.mkdir()
        link = Path(self.wine.env["WINEPREFIX"]) / "dosdevices" / "d:"
        if link.is_symlink():
            link.unlink()
        link.symlink_to(drive)
        self.addCleanup(link.unlink, missing_ok=True)
        return drive

    def test_the_typed_install_path_reaches_the_product_installer(self):
        self.use_drive_d()
        self.fresh_machine()
        copy = self.work / "setup_1029_7.exe"
        shutil.copyfile(context.installer(), copy)
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET,
                                                  attributes='param="linger=10000"')
            process = subprocess.Popen(["wine", str(copy)], env=self.wine.env, cwd=self.work,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                window = desktop.wait_until(self.screen.main_window, 60, "the main window")
                self.screen.settled(window)
                self.screen.press(window, desktop.CUSTOM_INSTALL)
                desktop.wait_until(lambda: self.screen.geometry(window)["HEIGHT"] > 410, 15, "the path panel")
                self.screen.settled(window)
                self.screen.press(window, desktop.PATH_BOX)
                self.screen.key("ctrl+a")
                self.screen.type(INSTALL_PATH)
                self.screen.settled(window)
                self.screen.press(window, desktop.AGREE_AND_INSTALL)
                desktop.wait_until(lambda: (51, 0) in step_records(peers) or
                                   any(result != 0 for _, result in step_records(peers)), 60, "the road's end")
                self.screen.settled(window)
                self.screen.press(window, desktop.FINISHED_BUTTON)
                self.assertEqual(process.wait(timeout=60), 0)
            finally:
                if process.poll() is None:
                    process.kill()
            self.assertIn((51, 0), step_records(peers))
        recorded = self.recorded.read_text("utf-8")
        self.assertIn(f'&installpath="{INSTALL_PATH}"&', recorded, "the path exactly as typed")


if __name__ == "__main__":
    unittest.main()
