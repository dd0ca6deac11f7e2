"""The deployment file's shape rules, which configuring a tree applies
(cmake/Deploy.cmake): every file in deploy/ passes them, and a file broken
in any one way stops the configuration with a line that says which value
and what it must be. Needs only cmake, no build."""
import re
import subprocess
import tempfile
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
SCRIPT = REPO / "cmake" / "Deploy.cmake"
LOCAL = (REPO / "deploy" / "local.ini").read_text(encoding="utf-8")


def configure(text: str) -> subprocess.CompletedProcess:
    with tempfile.TemporaryDirectory() as folder:
        ini = Path(folder) / "deployment.ini"
        ini.write_text(text, encoding="utf-8")
        return subprocess.run(["cmake", f"-DTW_DEPLOY={ini}", f"-DTW_DEPLOY_HEADER={Path(folder) / 'deploy.h'}",
                               "-P", str(SCRIPT)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60,
                              text=True)


def with_value(key: str, value: str) -> str:
    return re.sub(rf"(?m)^{key}\s*=.*$", f"{key} = {value}", LOCAL, count=1)


class DeploymentFileTest(unittest.TestCase):
    def test_every_deployment_file_passes(self):
        for ini in sorted((REPO / "deploy").glob("*.ini")):
            with self.subTest(ini.name):
                result = configure(ini.read_text(encoding="utf-8"))
                self.assertEqual(result.returncode, 0, result.stdout)

    def test_a_value_out_of_shape_stops_the_configuration(self):
        rows = [
            ("base_url", "http://127.0.0.1:18080", "config.base_url must be an address ending in /"),
            ("rcmd_host", "http://127.0.0.1:18080", "config.rcmd_host must be a host[:port] without a scheme"),
            ("rsa_modulus", "ABCD", "config.rsa_modulus must be a 1024-bit modulus"),
            ("rsa_modulus", "Z" * 256, "config.rsa_modulus must be a 1024-bit modulus"),
            ("rsa_exponent", "3", "config.rsa_exponent must be 65537"),
            ("url", "http://127.0.0.1:18081/", "telemetry.url must be the telemetry address"),
            ("allow_plain", "yes", "update.allow_plain must be 0 or 1"),
            ("endpoints", "", "city.endpoints must be a value"),
            ("pages_host", "a\"b", "may not hold quotes or backslashes"),
        ]
        for key, value, message in rows:
            with self.subTest(key=key, value=value[:20]):
                result = configure(with_value(key, value))
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, " ".join(result.stdout.split()))

    def test_a_missing_key_is_named(self):
        result = configure(re.sub(r"(?m)^host\s*=.*$", "", LOCAL))
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("missing probe.host", result.stdout)


if __name__ == "__main__":
    unittest.main()
