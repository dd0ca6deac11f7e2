"""Downloads that survive the user's network and patience, on the silent
road under Wine: a run ended by force mid-download leaves its bytes, and
the next run continues them with a range (the configuration peer logs the
ranges it served) unless the server's file changed (another ETag) or it
ignores ranges; a sign-in portal's page is named for what it is, and a run
after signing in installs."""
import hashlib
import subprocess
import time
import unittest

from peers.config_service import FileFault
from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase, step_records
from tools.test import context

DOWNLOAD_DETAIL = 40
CONTINUED = 3
WEB_PAGE = 4


def download_details(peers, kind):
    return [b["fields"] for r in peers["telemetry"].records for b in r["blocks"]
            if b["table"] == 4680 and b["fields"]["detail_step"] == DOWNLOAD_DETAIL
            and b["fields"]["detail_kind"] == kind]


class ContinuedDownloadsTest(InstallerMachineCase):
    WORK_PREFIX = "tw-continued-"

    def partial(self):
        return context.work_folder(self.wine) / (hashlib.md5(self.product).hexdigest() + ".part")

    def run_to_the_end(self, peers):
        process = self.start_installer()
        output, _ = process.communicate(timeout=300)
        self.assertEqual(process.returncode, 0, output)

    def ended_mid_download(self, peers, share=0.3):
        """A run whose package trickles in (about ten seconds), ended by force
        once `share` of it is on disk, as a closed laptop or a killed process
        ends it. The bytes it left."""
        peers["config"].set_file_faults(PACKAGE, FileFault(rate=len(self.product) / 10))
        process = self.start_installer()
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline and process.poll() is None:
            if self.partial().exists() and self.partial().stat().st_size >= share * len(self.product):
                break
            time.sleep(0.05)
        self.assertIsNone(process.poll(), "still downloading when ended")
        process.kill()
        process.communicate(timeout=60)
        kept = self.partial().stat().st_size
        self.assertTrue(0 < kept < len(self.product), f"part of the package was kept: {kept}")
        peers["config"].set_file_faults(PACKAGE)
        return kept

    def test_a_run_ended_mid_download_is_continued_by_the_next(self):
        self.fresh_machine()
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            kept = self.ended_mid_download(peers)
            self.run_to_the_end(peers)
            self.assertTrue(self.recorded.exists(), "the product installer ran")
            self.assertEqual(peers["config"].file_ranges(PACKAGE)[-1], f"bytes={kept}-")
            self.assertIn(f"continued={kept} fetched={len(self.product) - kept}",
                          [d["detail_text"] for d in download_details(peers, CONTINUED)])
        self.assertFalse(self.partial().exists(), "the whole file took the package's name")

    def test_a_file_changed_on_the_server_or_ranges_ignored_start_anew(self):
        for change in ("another ETag", "ranges ignored"):
            with self.subTest(change):
                self.fresh_machine()
                with PeerSet(context.deployment_file()) as peers:
                    peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
                    self.ended_mid_download(peers)
                    if change == "another ETag":
                        peers["config"].set_file_etag(PACKAGE, '"republished"')
                    else:
                        peers["config"].ignore_ranges(PACKAGE)
                    self.run_to_the_end(peers)
                    self.assertTrue(self.recorded.exists(), "the product installer ran")
                    self.assertIn("continued=0 fetched=%d" % len(self.product),
                                  [d["detail_text"] for d in download_details(peers, CONTINUED)])

    def test_a_sign_in_portal_is_named_and_a_run_after_signing_in_installs(self):
        self.fresh_machine()
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            peers["config"].portal = True
            self.run_to_the_end(peers)
            self.assertFalse(self.recorded.exists(), "a web page is not started")
            self.assertIn((31, 265), step_records(peers))
            self.assertEqual([d["detail_text"].split(" ")[0] for d in download_details(peers, WEB_PAGE)],
                             ["text/html;"])
            self.assertEqual(list(context.work_folder(self.wine).glob("*.part*")), [], "nothing of it is kept")
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            self.run_to_the_end(peers)
            self.assertTrue(self.recorded.exists(), "signed in: the product installer ran")

    def test_too_little_space_ends_the_download_before_it_writes(self):
        """The work folder on a 4 MiB file system: the package and the room
        kept beside it do not fit, so the step ends with its own result and
        nothing is written, instead of a half-written file."""
        self.fresh_machine()
        work = context.work_folder(self.wine)
        work.mkdir(parents=True, exist_ok=True)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m,mode=0750", "tmpfs", str(work)],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
        if mounted.returncode != 0:
            raise unittest.SkipTest(f"a small file system cannot be mounted here: {mounted.stdout!r}")
        self.addCleanup(subprocess.run, ["umount", str(work)], timeout=30)
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            self.run_to_the_end(peers)
            self.assertFalse(self.recorded.exists(), "nothing installed")
            self.assertIn((31, 266), step_records(peers))
            self.assertEqual([p.name for p in work.iterdir() if p.name != "unioncfg.dat"], [], "nothing written")
