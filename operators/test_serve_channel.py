"""The operators' local channel server: it serves the channel wrapped, the
package bytes, and prints each telemetry record and the summary."""
import signal
import subprocess
import sys
import tempfile
import unittest
import urllib.request
from pathlib import Path

from peers.deployment import port_of, read_deployment

REPO = Path(__file__).resolve().parents[1]
CHANNEL = (b'<root><check/><install><company id="4321" version="1"><tryno id="2" version="1">'
           b'<dlfile url="u" md5="m" moduletype="exe" path="%TEMP%\\p.exe" downloadtype="http"/>'
           b'</tryno></company></install><condition/></root>')


class ServeChannelTest(unittest.TestCase):
    def test_serves_the_channel_and_reports_on_stop(self):
        config = read_deployment(REPO / "deploy" / "local.ini")
        base = f"http://127.0.0.1:{port_of(config['config']['base_url'])}"
        with tempfile.TemporaryDirectory() as folder:
            channel, package = Path(folder) / "channel.xml", Path(folder) / "setup.exe"
            channel.write_bytes(CHANNEL)
            package.write_bytes(b"MZ package bytes")
            server = subprocess.Popen([sys.executable, "-m", "operators.serve_channel", str(channel), "--cid", "4321",
                                       "--file", f"setup.exe={package}"], cwd=REPO, stdout=subprocess.PIPE,
                                      stderr=subprocess.STDOUT)
            try:
                self.assertIn(b"Ctrl-C stops", server.stdout.readline())
                body = urllib.request.urlopen(f"{base}/lminstall3/4321.json?time=1", timeout=10).read()
                from operators.config_tool import load_private_key, wrap_configuration
                self.assertEqual(body, wrap_configuration(CHANNEL, load_private_key()).encode())
                self.assertEqual(urllib.request.urlopen(f"{base}/files/setup.exe", timeout=10).read(),
                                 b"MZ package bytes")
            finally:
                server.send_signal(signal.SIGINT)
                output, _ = server.communicate(timeout=30)
            self.assertEqual(server.returncode, 0, output)


if __name__ == "__main__":
    unittest.main()
