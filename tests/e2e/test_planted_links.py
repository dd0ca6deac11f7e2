"""Links that another process of the user plants where the elevated
installer writes: in %TEMP%, at the log's names (twinst.log and its
rotation, twinst.log0) and at the package's name or a folder on its way; and
in the machine folder, when the user made it before the installer ever ran.
What a link leads to stays as it was, a dangling link makes no file where it
points, the links themselves are left alone (Wine would delete or rename
what a link leads to, not the link), and the install goes on."""
import os
import shutil

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

    def install(self, target=TARGET):
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, target)
            process = self.start_installer()
            output, _ = process.communicate(timeout=300)
            self.assertEqual(process.returncode, 0, output)
            self.assertTrue(any(b["table"] == 6139 for r in peers["telemetry"].records for b in r["blocks"]),
                            "the final record arrived")
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


    def test_links_where_the_package_is_named_lead_nowhere(self):
        """The configuration names the package %TEMP%\\twlinks\\zorn_links.exe. Before,
        a link at that name failed the download (nothing installed), and a
        link in place of the folder had the package written into the folder it
        led to; now the package is written in the work folder and neither is
        used."""
        self.fresh_machine()
        victim_file = self.work / "their-file"
        victim_file.write_bytes(THEIRS)
        victim_folder = self.work / "their-folder"
        victim_folder.mkdir()
        (self.temp / "twlinks").mkdir(exist_ok=True)
        self.addCleanup(shutil.rmtree, self.temp / "twlinks", ignore_errors=True)
        self.plant("twlinks/zorn_links.exe", victim_file)
        self.plant("twfolderlink", victim_folder)
        for target in ("%TEMP%\\twlinks\\zorn_links.exe", "%TEMP%\\twfolderlink\\zorn_links.exe"):
            with self.subTest(target):
                self.recorded.unlink(missing_ok=True)
                self.install(target)
                self.assertEqual(victim_file.read_bytes(), THEIRS, "the file the link leads to is untouched")
                self.assertEqual(list(victim_folder.iterdir()), [], "nothing written where the folder link leads")
                recorded = self.recorded.read_text("utf-8")
                self.assertIn("\\ProgramData\\Tarnwick\\TwInstall\\Work\\zorn_links.exe", recorded)

    def test_a_machine_folder_the_user_made_first_is_set_aside(self):
        """Before the installer ever ran, a process of the user made
        %ProgramData%\\Tarnwick\\TwInstall, open to everyone, with a link at the
        kept-record file's name. Before, the installer read through the link and
        deleted the file it led to; now the folder is moved aside with the link
        in it, made anew, the file is untouched and the records arrive."""
        self.fresh_machine()
        folder = context.machine_folder(self.wine)
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        folder.chmod(0o777)
        victim = self.work / "their-records"
        victim.write_bytes(THEIRS)
        os.symlink(victim, folder / "pending_records.dat")
        self.addCleanup(lambda: [shutil.rmtree(p, ignore_errors=True)
                                 for p in folder.parent.glob("TwInstall.untrusted-*")])
        self.install()
        self.assertEqual(victim.read_bytes(), THEIRS, "the file the link leads to is untouched")
        aside = folder.parent / "TwInstall.untrusted-1"
        self.assertEqual(os.readlink(aside / "pending_records.dat"), str(victim), "moved aside with the link")
        self.assertEqual(folder.stat().st_mode & 0o002, 0, "made anew: others may not change it")
