"""One headless Wine session for a test run or the demo.

Starts one Xvfb (the display number chosen by Xvfb itself), a persistent
wineserver warmed by one throw-away process, and stops both at the end,
even after a failure, an interrupt or a SIGTERM.
"""
import os
import shlex
import signal
import subprocess
import sys
import time
from pathlib import Path


def wine_arch() -> str:
    """win32, the installer's own, unless TW_WINE_ARCH says otherwise or the
    kernel runs no 32-bit x86 programs (a PVM guest, for one): then win64.
    The one answer to that question: tools/run.sh asks it here too."""
    if "TW_WINE_ARCH" in os.environ:
        return os.environ["TW_WINE_ARCH"]
    try:
        subprocess.run(["/lib/ld-linux.so.2", "--version"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)
        return "win32"
    except OSError:
        return "win64"


def shipped_file_not_run(deployment) -> str:
    """The last line of a run that could not start the file users download.
    qemu-user can start 32-bit Wine on such a kernel, but measured at about
    8 minutes to bring up a prefix and about 97 s a program, which the suite
    cannot fit in CI's time."""
    return (f"NOT RUN: the shipped 32-bit installer (out/{deployment}/twinstall.exe) was not run on this machine, "
            f"whose kernel runs no 32-bit programs: Wine ran its 64-bit twin; the shipped file's headers and "
            f"import slots were checked")


def wine_variables(root: Path) -> dict:
    """The environment every Wine run of the project uses, from the test
    runner or the shell (tools/wine/env.sh reads it here). The prefix is the
    project's own (inside the build tree); Wine runs in the locale of the
    product's users, so ANSI text is GBK (code page 936). In a 64-bit prefix
    "wine" (also as wineboot, winepath and regedit call it) is the 64-bit
    loader, through shims written in the prefix's root."""
    root = Path(root).resolve()
    variables = {
        "WINEPREFIX": str(root / "prefix"),
        "WINEARCH": wine_arch(),
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "LANG": "zh_CN.UTF-8",
        "LC_ALL": "zh_CN.UTF-8",
    }
    if variables["WINEARCH"] == "win64":
        shims = root / "bin"
        shims.mkdir(parents=True, exist_ok=True)
        for name in ("wine", "wine-stable"):
            shim = shims / name
            shim.write_text('#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n')
            shim.chmod(0o755)
        variables["PATH"] = f"{shims}:{os.environ.get('PATH', '')}"
    return variables


def wine_environment(root: Path) -> dict:
    return {**os.environ, **wine_variables(root)}


class WineSession:
    def __init__(self, root: Path, display: str = None):
        """`display`: an X display to show windows on; none starts a private Xvfb."""
        self.root = Path(root).resolve()
        self.env = wine_environment(self.root)
        self._xvfb = None
        self._display = display

    def __enter__(self):
        signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
        if self._display:
            self.env["DISPLAY"] = self._display
        else:
            self._start_xvfb()
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)
        # The first Wine process starts services that hold its output open;
        # let that happen here, not inside a test's pipe.
        subprocess.run(["wine", "cmd", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
        return self

    def __exit__(self, *exc):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
        return False

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise RuntimeError("Xvfb did not report a display")
        self.env["DISPLAY"] = ":" + number.decode().strip()

    def run(self, program: Path, args=(), cwd=None, timeout=600, capture=True):
        """Runs a Windows program; returns the CompletedProcess (or raises TimeoutExpired)."""
        return subprocess.run(["wine", str(program), *args], env=self.env, cwd=cwd, timeout=timeout,
                              stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE if capture else None,
                              stderr=subprocess.STDOUT if capture else None)


def main(argv) -> int:
    """For the shell: `arch` prints win32 or win64; `env ROOT` prints the
    Wine environment for the prefix under ROOT as export lines."""
    if argv[:1] == ["arch"]:
        print(wine_arch())
        return 0
    if len(argv) == 2 and argv[0] == "env":
        for name, value in wine_variables(Path(argv[1])).items():
            print(f"export {name}={shlex.quote(value)}")
        return 0
    print("usage: session.py arch | env ROOT", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
