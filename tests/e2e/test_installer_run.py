"""The installer under Wine with the vendor's services standing by on loopback."""
import shutil
import tempfile
import unittest
from pathlib import Path

from peers.services import PeerSet
from tools.test import context


class InstallerRunTest(unittest.TestCase):
    def setUp(self):
        self.wine = context.wine_session()
        self.work = Path(tempfile.mkdtemp(prefix="tw-e2e-"))
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def run_as(self, file_name, *args):
        copy = self.work / file_name
        shutil.copyfile(context.installer(), copy)
        return self.wine.run(copy, args, cwd=self.work, timeout=300)

    def test_channel_run_exits_zero_and_leaves_the_services_alone(self):
        with PeerSet(context.deployment_file()) as peers:
            result = self.run_as("setup_1029_7_silent.exe")
            self.assertEqual(result.returncode, 0, result.stdout)
            # Start-up asks only the self-update service (none offered: 404),
            # and reports that with one update record.
            self.assertEqual([r.path for r in peers["config"].requests], ["/defend/o1/jcqgx.ini"])
            records = peers["telemetry"].wait_for_requests(1)
            self.assertEqual(len(records), 1)
            update = [b for b in peers["telemetry"].records[0]["blocks"] if b["table"] == 4033]
            self.assertEqual(update[0]["fields"]["stage"], 2, "the INI was not obtained")


if __name__ == "__main__":
    unittest.main()
