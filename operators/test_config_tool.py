import unittest
from pathlib import Path

from operators.config_tool import (FIXTURE_XML, FORGED_KEY, fixtures, load_private_key, mask_container, sign_block,
                               wrap_configuration)
from peers.services import PeerSet
from peers.test_framework import fetch

FIXTURES = Path(__file__).resolve().parents[1] / "tests" / "fixtures" / "config"


class ConfigToolTest(unittest.TestCase):
    def test_blocks_open_with_the_deployment_public_key(self):
        modulus, exponent, private = load_private_key()
        local = (Path(__file__).resolve().parents[1] / "deploy" / "local.ini").read_text()
        self.assertIn(f"{modulus:X}", local.upper())
        block = sign_block(b"data", (modulus, exponent, private))
        opened = pow(int.from_bytes(block, "big"), exponent, modulus).to_bytes(128, "big")
        self.assertEqual(opened[:2], b"\x00\x01")
        self.assertTrue(opened.endswith(b"\x00data"))

    def test_committed_fixtures_are_what_the_tool_makes(self):
        for name, body in fixtures(load_private_key()).items():
            self.assertEqual((FIXTURES / name).read_text(), body, name)
        self.assertGreater(len(FIXTURE_XML), 117, "the good document spans several blocks")

    def test_container_mask(self):
        self.assertEqual(mask_container(b"<a/>"), b".tmp" + bytes([0x3C ^ 0x3E, 0x61 ^ 0x3E, 0x2F ^ 0x3E, 0x3E ^ 0x3E]))

    def test_the_update_ini_is_served_signed_plain_or_forged(self):
        ini = b"[UiExe]\r\nurl=http://127.0.0.1:18080/update/newer.exe\r\n"
        expected = {"signed": wrap_configuration(ini, load_private_key()).encode(), "plain": ini,
                    "forged": wrap_configuration(ini, load_private_key(FORGED_KEY)).encode()}
        with PeerSet() as peers:
            for form, body in expected.items():
                status, _, _ = fetch(peers["config"], "POST", f"/_peer/update?part=ini&form={form}", body=ini)
                self.assertEqual(status, 200)
                self.assertEqual(fetch(peers["config"], "GET", "/defend/o1/jcqgx.ini")[2], body, form)
            self.assertNotEqual(expected["signed"], expected["forged"])


if __name__ == "__main__":
    unittest.main()
