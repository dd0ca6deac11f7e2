"""Real proxy servers from Debian's packages (tinyproxy and dante-server),
run as child processes, for the proxy rows that must hold against the
software people actually deploy rather than against our own peers.

Both mirror HttpProxy and SocksProxy of peers/net_peer.py: the port in the
constructor, start() returning self once the port accepts, stop(), and
`seen`, a list of {"target": ..., "auth": ...} read from the server's own
log. Config, log and pid file live in a private directory removed at stop.
"""
import ctypes
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from typing import List, Optional

TINYPROXY_PORT, DANTE_PORT = 18101, 18102

_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # A test runner killed outright must not leave a proxy holding its port.
    ctypes.CDLL(None, use_errno=True).prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


def _accepts(port: int) -> bool:
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


def _program(name: str) -> str:
    # danted lives in /usr/sbin, which an unprivileged user's PATH may lack.
    found = shutil.which(name) or shutil.which(name, path="/usr/sbin:/usr/bin:/sbin:/bin")
    if not found:
        raise RuntimeError(f"{name} is not installed (tools/setup/install-packages.sh installs it)")
    return found


class _ProxyProcess:
    name = "proxy"

    def __init__(self, port: int):
        self.port = port
        self._dir: Optional[str] = None
        self._process: Optional[subprocess.Popen] = None
        self._last_tail = ""

    @property
    def log_path(self) -> str:
        return os.path.join(self._dir, "log")

    def _command(self) -> List[str]:
        raise NotImplementedError

    def _config(self) -> str:
        raise NotImplementedError

    def _log_text(self) -> str:
        if not self._dir:
            return ""
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                return log.read()
        except FileNotFoundError:
            return ""

    def _log_tail(self, lines=20) -> str:
        return "\n".join(self._log_text().splitlines()[-lines:])

    def start(self, timeout: float = 15.0):
        # Checked first: a stale listener would otherwise pass the readiness poll.
        if _accepts(self.port):
            raise RuntimeError(f"{self.name}: port {self.port} is already taken by another process")
        self._dir = tempfile.mkdtemp(prefix=f"{self.name}-")
        with open(os.path.join(self._dir, "conf"), "w", encoding="utf-8") as conf:
            conf.write(self._config())
        # danted keeps its lock and shared-memory files under TMPDIR.
        env = dict(os.environ, TMPDIR=self._dir)
        output = open(os.path.join(self._dir, "output"), "wb")
        try:
            self._process = subprocess.Popen(self._command(), cwd=self._dir, env=env, stdin=subprocess.DEVNULL,
                                             stdout=output, stderr=subprocess.STDOUT, start_new_session=True,
                                             preexec_fn=_die_with_parent)
        finally:
            output.close()
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self._process.poll() is not None:
                break
            if _accepts(self.port):
                return self
            time.sleep(0.02)
        code = self._process.poll()
        with open(os.path.join(self._dir, "output"), encoding="utf-8", errors="replace") as out:
            printed = out.read()[-2000:]
        self.stop()
        state = f"exited with {code}" if code is not None else f"not accepting after {timeout:.0f} s"
        raise RuntimeError(f"{self.name} on 127.0.0.1:{self.port} {state}\n"
                           f"output:\n{printed}\nlog tail:\n{self._last_tail}")

    def stop(self):
        self._last_tail = self._log_tail()
        process, self._process = self._process, None
        if process is not None:
            # The whole session: danted's mother forks request children that hold sockets too.
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait(timeout=10)
            # The next start on this port must find it free, children included.
            deadline = time.monotonic() + 10
            while _accepts(self.port) and time.monotonic() < deadline:
                time.sleep(0.02)
            if _accepts(self.port):
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        if self._dir:
            shutil.rmtree(self._dir, ignore_errors=True)
            self._dir = None

    def wait_seen(self, count: int = 1, timeout: float = 10.0) -> List[dict]:
        """`seen` once it holds at least `count` entries: both servers log a
        relay a little after the client has its answer."""
        deadline = time.monotonic() + timeout
        while True:
            seen = self.seen
            if len(seen) >= count or time.monotonic() >= deadline:
                return seen
            time.sleep(0.02)

    @property
    def seen(self) -> List[dict]:
        raise NotImplementedError

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
        return False


class Tinyproxy(_ProxyProcess):
    """tinyproxy as an HTTP forward proxy on 127.0.0.1:port for 127.0.0.1
    clients only, to any host and port; with `user`, BasicAuth for that one
    account (no credentials: 407; wrong ones: tinyproxy 1.11 answers 401).

    `seen` lists each request tinyproxy relayed, in order: "target" is the
    request line's target as the client sent it (the absolute URL, or
    host:port for CONNECT); "auth" is the configured user (a relayed request
    got past BasicAuth, and tinyproxy knows only that user) or "". A request
    appears once its connection is closed, as tinyproxy logs the relay then;
    refused requests (407, 401, 403) never appear.
    """
    name = "tinyproxy"

    def __init__(self, port: int = TINYPROXY_PORT, user: Optional[str] = None, password: Optional[str] = None):
        super().__init__(port)
        if (user is None) != (password is None):
            raise ValueError("tinyproxy: give both user and password, or neither")
        if user is not None and (not re.fullmatch(r"[^\s\"]+", user) or not re.fullmatch(r"[^\s\"]+", password)):
            raise ValueError("tinyproxy: its config reads user and password as single words")
        self.user, self.password = user, password

    def _command(self):
        return [_program("tinyproxy"), "-d", "-c", os.path.join(self._dir, "conf")]

    def _config(self):
        lines = [
            f"Port {self.port}",
            "Listen 127.0.0.1",
            "Allow 127.0.0.1",
            "Timeout 600",
            "MaxClients 100",
            f'LogFile "{self.log_path}"',
            # Info: the "Closed connection" line that tells a relay from a refusal.
            "LogLevel Info",
            f'PidFile "{os.path.join(self._dir, "pid")}"',
            # Keeps the relayed request as the installer wrote it.
            "DisableViaHeader Yes",
            # No ConnectPort line: CONNECT to every port, as a deployed proxy often allows.
        ]
        if self.user is not None:
            lines.append(f"BasicAuth {self.user} {self.password}")
        return "\n".join(lines) + "\n"

    @property
    def seen(self) -> List[dict]:
        # One thread per client and one pid in every line: the client's fd
        # pairs a request line with the close that follows a relay.
        pending = {}
        seen = []
        for line in self._log_text().splitlines():
            match = re.search(r"\]: Connect \(file descriptor (\d+)\)", line)
            if match:
                pending.pop(match.group(1), None)
                continue
            match = re.search(r"\]: Request \(file descriptor (\d+)\): \S+ (\S+)", line)
            if match:
                pending[match.group(1)] = match.group(2)
                continue
            match = re.search(r"\]: Closed connection between local client \(fd:(\d+)\)", line)
            if match and match.group(1) in pending:
                seen.append({"target": pending.pop(match.group(1)), "auth": self.user or ""})
        return seen


class Dante(_ProxyProcess):
    """danted as a SOCKS5 server on 127.0.0.1:port for 127.0.0.0/8 clients,
    CONNECT to 127.0.0.0/8 only, without authentication.

    Dante's user/password method checks the system's password database (or
    PAM), so a test account would have to be a real account on the machine:
    user/password are accepted for the interface's sake but must be None.

    `seen` lists each CONNECT dante relayed, in order: "target" is
    "host:port" of the destination, "auth" is the user dante logged ("" here).
    """
    name = "danted"

    def __init__(self, port: int = DANTE_PORT, user: Optional[str] = None, password: Optional[str] = None):
        super().__init__(port)
        if user is not None or password is not None:
            raise ValueError("danted: authentication would need a system account; only no-authentication is set up")

    def _command(self):
        return [_program("danted"), "-f", os.path.join(self._dir, "conf"), "-p", os.path.join(self._dir, "pid")]

    def _config(self):
        return "\n".join([
            f"logoutput: {self.log_path}",
            f"internal: 127.0.0.1 port = {self.port}",
            "external: 127.0.0.1",
            "clientmethod: none",
            "socksmethod: none",
            # No user.* lines: danted then keeps the current user, root or not.
            "client pass {",
            "  from: 127.0.0.0/8 to: 0.0.0.0/0",
            "  log: error",
            "}",
            "socks pass {",
            "  from: 127.0.0.0/8 to: 127.0.0.0/8",
            "  command: connect",
            "  log: connect disconnect error",
            "}",
        ]) + "\n"

    @property
    def seen(self) -> List[dict]:
        seen = []
        # "pass(1): tcp/connect [: CLIENT INTERNAL -> EXTERNAL DESTINATION", an
        # authenticated client written as method%user@address.port.
        for match in re.finditer(r"pass\(\d+\): tcp/connect \[: (\S+) \S+ -> \S+ (\S+)\s*$",
                                 self._log_text(), re.MULTILINE):
            client, destination = match.groups()
            user = client.split("%", 1)[1].rsplit("@", 1)[0] if "%" in client and "@" in client else ""
            host, _, port = destination.rpartition(".")
            seen.append({"target": f"{host}:{port}", "auth": user})
        return seen
