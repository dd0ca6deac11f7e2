"""Links that another process of the user plants in %TEMP%, which the
elevated installer writes: at the log's names (twinst.log and its rotation,
twinst.log0). What a link leads to stays as it was, a dangling link makes no
file where it points, the links themselves are left alone (Wine would delete
or rename what a link leads to, not the link), and the install goes on."""
import os

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase
from tools.test import context

THEIRS = b"a file of the user's, not the installer's\n"


class PlantedLinksTest(InstallerMachineCase):
    WORK_PREFIX = "tw-links-"

    def plant(self, name, target):
        link = self.temp / name
        if link.is_symlink() or link.exists():
            link.unlink()
        os.symlink(target, link)
        self.addCleanup(lambda: link.unlink() if link.is_symlink() else None)

    def install(self):
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET)
            process = self.start_installer()
            output, _ = process.communicate(timeout=300)
            self.assertEqual(process.returncode, 0, output)
        self.assertTrue(self.recorded.exists(), "the product installer ran")

    def test_links_at_the_log_names_lead_nowhere(self):
        for row in ("to a file", "dangling"):
            with self.subTest(row):
                self.fresh_machine()
                victims = {name: self.work / f"{row}-{name}" for name in ("twinst.log", "twinst.log0")}
                for name, victim in victims.items():
                    if row == "to a file":
                        victim.write_bytes(THEIRS)
                    self.plant(name, victim)
                self.install()
                for name, victim in victims.items():
                    if row == "to a file":
                        self.assertEqual(victim.read_bytes(), THEIRS, f"{name} wrote through its link")
                    else:
                        self.assertFalse(victim.exists(), f"{name} made a file where its dangling link pointed")
                    self.assertEqual(os.readlink(self.temp / name), str(victim), f"{name}: the link is left alone")

