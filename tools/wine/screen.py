"""The X display a Windows program's windows are on, seen and clicked
through the X server as a user's mouse would (xdotool), and pictured from
the X root (ImageMagick's import: layered windows are composed there)."""
import re
import subprocess
import time


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


# Centres of the main window's buttons in its own coordinates (layout 11001,
# 580 x 410; the pages sit at y 245).
CUSTOM_INSTALL = (526, 393)     # "自定义安装" (102)
AGREE_AND_INSTALL = (290, 317)  # "同意并安装" (1011)
FINISHED_BUTTON = (464, 321)    # "安装完成" (401)
FAILED_BUTTON = (290, 385)      # "退出安装" or "联系客服" (501)


class Screen:
    """The installer's windows on the session's X display."""

    def __init__(self, wine):
        self.env = wine.env

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

    # Keys go to the focused window as a keyboard's would (not sent to a
    # window: programs may ignore synthetic events).
    def key(self, keys):
        """Keys pressed together ("ctrl+a")."""
        self._run("xdotool", "key", keys)

    def type(self, text):
        """Any text; xdotool maps a spare key to each character it types."""
        self._run("xdotool", "type", "--delay", "20", text)
