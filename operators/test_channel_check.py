"""The operators' configuration check (tools/channel_check) on documents
with each kind of fault, plain and wrapped."""
import subprocess
import tempfile
import unittest
from pathlib import Path

from operators.config_tool import load_private_key, wrap_configuration

REPO = Path(__file__).resolve().parents[1]
TOOL = REPO / "build" / "native" / "bin" / "channel_check"
PACKAGE = ('<dlfile url="http://127.0.0.1:18080/files/p.exe" md5="0123456789ABCDEF0123456789ABCDEF" moduletype="exe" '
           'path="%TEMP%\\p.exe" downloadtype="http"{extra}/>')


def document(packages, check='<item id="1" name="a" value="1"><leaf id="1" mode="reg" root="hklm" path="x"/></item>'):
    return (f'<root><check>{check}</check><install><company id="1029" version="3"><tryno id="7" version="2">'
            f'{packages}</tryno></company></install><condition/></root>').encode()


@unittest.skipUnless(TOOL.exists(), "needs the native build")
class ChannelCheckTest(unittest.TestCase):
    def check(self, body: bytes):
        with tempfile.NamedTemporaryFile(suffix=".xml") as file:
            file.write(body)
            file.flush()
            result = subprocess.run([str(TOOL), file.name], stdout=subprocess.PIPE, timeout=60)
        return result.returncode, result.stdout.decode()

    def test_a_good_channel_passes_plain_and_wrapped(self):
        good = document(PACKAGE.format(extra=""))
        for body in (good, wrap_configuration(good, load_private_key()).encode()):
            code, text = self.check(body)
            self.assertEqual(code, 0, text)
            self.assertIn("usable: 1 usable packages", text)

    def test_each_fault_is_listed(self):
        faults = document(PACKAGE.format(extra="") +
                          PACKAGE.format(extra=' condition="1&amp;(2"').replace('md5="0123', 'md5="4567') +
                          '<dlfile url="http://x/" moduletype="exe" downloadtype="http"/>',
                          check='<item id="1" name="a" value="1"><leaf id="1" mode="telepathy"/></item>')
        code, text = self.check(faults)
        self.assertEqual(code, 1, text)
        self.assertIn('unknown mode "telepathy"', text)
        self.assertIn("package 3: missing md5, path", text)
        self.assertIn('condition "1&(2" does not evaluate', text)

    def test_not_a_configuration(self):
        self.assertEqual(self.check(b"<Root/>")[0], 2)
        self.assertEqual(self.check(b"%%% not base64 %%%")[0], 2)


if __name__ == "__main__":
    unittest.main()
