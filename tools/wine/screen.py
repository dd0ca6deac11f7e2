"""The X display a Windows program's windows are on, seen and clicked
through the X server as a user's mouse would (xdotool), and pictured from
the X root (ImageMagick's import: layered windows are composed there)."""
import re
import subprocess
import time
from pathlib import Path


def wait_until(condition, timeout, what):
    """Polls a state nothing signals (a window on the X server, a file
    another program writes), within a bound."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise TimeoutError(f"waited {timeout} s for {what}")


REPO = Path(__file__).resolve().parents[2]


def main_window_ids() -> dict:
    """The main window's control ids by their names in the window code
    ("kAgreeAndInstallButton": 1011)."""
    header = (REPO / "windows" / "main_window_ids.h").read_text(encoding="utf-8")
    return {name: int(value) for name, value in re.findall(r"constexpr int (k\w+) = (\d+);", header)}


_IDS = main_window_ids()
CUSTOM_INSTALL = _IDS["kCustomInstallButton"]        # "自定义安装"
AGREE_AND_INSTALL = _IDS["kAgreeAndInstallButton"]   # "同意并安装"
PATH_BOX = _IDS["kPathBox"]
FINISHED_BUTTON = _IDS["kFinishedButton"]            # "安装完成"
FAILED_BUTTON = _IDS["kFailedButton"]                # "退出安装" or "联系客服"


def windows_path(path: Path) -> str:
    return "Z:" + str(path).replace("/", "\\")


class ControlMap:
    """Where the main window's controls are, asked from the layout renderer
    with the installer's own resources at the window's present size: the
    same layout code places them in both, so no position is written here."""

    def __init__(self, wine, uxrender: Path, installer: Path, layout=11001):
        self.wine, self.uxrender, self.installer, self.layout = wine, uxrender, installer, layout

    # One renderer run per program and size for the whole test process.
    _asked = {}

    def rect(self, control_id, width, height):
        key = (self.installer, self.layout, width, height)
        if key not in self._asked:
            args = ["--exe", windows_path(self.installer), "--layout", str(self.layout), "--size", f"{width}x{height}"]
            for known in sorted(set(_IDS.values())):
                args += ["--rect", str(known)]
            done = self.wine.run(self.uxrender, args, timeout=120)
            lines = done.stdout.decode("utf-8", "replace").splitlines()
            rects = {int(parts[1]): tuple(map(int, parts[2:6]))
                                            for parts in (line.split() for line in lines)
                                            if len(parts) == 6 and parts[0] == "rect"}
            if done.returncode != 0 or not rects:
                raise RuntimeError(f"uxrender gave no control rectangles: {lines}")
            self._asked[key] = rects
        return self._asked[key][control_id]

    def centre(self, control_id, width, height):
        left, top, right, bottom = self.rect(control_id, width, height)
        return (left + right) // 2, (top + bottom) // 2


class Screen:
    """The installer's windows on the session's X display."""

    def __init__(self, wine, controls: ControlMap = None):
        self.env = wine.env
        self.controls = controls

    def _run(self, *command):
        return subprocess.run(command, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              timeout=30).stdout

    def main_window(self):
        found = self._run("xdotool", "search", "--onlyvisible", "--name", "^Tarnwick Zorn-").split()
        return found[0].decode() if found else None

    def geometry(self, window):
        shell = dict(re.findall(r"(\w+)=(\d+)", self._run("xdotool", "getwindowgeometry", "--shell",
                                                          window).decode()))
        return {k: int(v) for k, v in shell.items() if k in ("X", "Y", "WIDTH", "HEIGHT")}

    def pixels(self, window) -> bytes:
        # The root, cropped: layered windows are composed there.
        g = self.geometry(window)
        return self._run("import", "-window", "root", "-crop", f"{g['WIDTH']}x{g['HEIGHT']}+{g['X']}+{g['Y']}",
                         "+repage", "png:-")

    def settled(self, window, timeout=15.0) -> bytes:
        """The window's picture once two in a row are the same (animations over)."""
        last = [b""]

        def same():
            now = self.pixels(window)
            done = now == last[0] and now
            last[0] = now
            return done

        return wait_until(same, timeout, "the window to stop changing")

    def click(self, window, point):
        self._run("xdotool", "mousemove", "--window", window, str(point[0]), str(point[1]), "click", "1")

    def press(self, window, control_id):
        """Clicks the centre of one of the main window's controls."""
        g = self.geometry(window)
        self.click(window, self.controls.centre(control_id, g["WIDTH"], g["HEIGHT"]))

    # Keys go to the focused window as a keyboard's would (not sent to a
    # window: programs may ignore synthetic events).
    def key(self, keys):
        """Keys pressed together ("ctrl+a")."""
        self._run("xdotool", "key", keys)

    def type(self, text):
        """Any text; xdotool maps a spare key to each character it types."""
        self._run("xdotool", "type", "--delay", "20", text)
