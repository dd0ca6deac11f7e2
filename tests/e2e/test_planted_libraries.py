"""Libraries planted beside the installer, where a Downloads folder collects
them: the elevated installer loads none of them, on the silent road (with
the VPN and virtual-machine checks, which look for libraries of their own)
or on the window road. And its import table names only libraries Windows
always maps from its own directory, since the loader resolves static
imports beside the executable first, before any of the installer's code
runs (Wine's loader prefers its own copies of some, so the table is checked
as well as the planted run)."""
import shutil
import unittest
from pathlib import Path

from peers.services import PeerSet
from tests.e2e.test_fault_matrix import PACKAGE, TARGET, InstallerMachineCase, step_records
from tests.e2e.test_window_road import WindowMachineCase
from tools.pe_image import PeImage
from tools.test import context
from tools.wine import screen as desktop

# Loaded at run time by the installer or by the libraries it uses, delay-loaded
# imports, and names often planted next to installers.
PLANTED = ("rasapi32", "wtsapi32", "userenv", "dwmapi", "comctl32", "VBoxHook", "bcrypt", "crypt32", "gdiplus",
           "iphlpapi", "msimg32", "version", "secur32", "winhttp", "uxtheme", "propsys", "cryptbase", "winmm",
           "dbghelp", "profapi", "sspicli", "netapi32", "wininet", "rsaenh", "cryptsp", "ntmarta")

# Known to the loader: mapped from the system directory whatever lies beside
# the program (comctl32 comes through the manifest's side-by-side assembly).
KNOWN_LIBRARIES = {"kernel32", "user32", "gdi32", "advapi32", "shell32", "ole32", "oleaut32", "shlwapi", "ws2_32",
                   "msvcrt", "comctl32", "comdlg32", "rpcrt4", "psapi", "setupapi", "normaliz", "wldap32",
                   "imagehlp", "imm32", "sechost", "nsi", "combase", "msctf", "clbcatq", "difxapi"}

# One item per check the road runs: the VPN's RAS library and VirtualBox's hook
# library are what the checks themselves look for. "1|!1" holds either way.
ENVIRONMENT_CHECK = ('<item id="1" name="vpn" value="1|!1"><leaf id="1" mode="vpn" switch="1"/></item>'
                     '<item id="2" name="vm" value="1|!1"><leaf id="1" mode="vmvare" switch="1"/></item>')


def imported_libraries(executable: Path):
    """The names in a PE file's import directory, lower case, without ".dll"."""
    return [library.name.removesuffix(".dll") for library in PeImage(executable).imports()]


class PlantedLibraries:
    """Copies of a marking library under every planted name in `folder`."""

    def plant(self, folder: Path):
        mark = context.installer().parent / "tw_mark_library.dll"
        for name in PLANTED:
            shutil.copyfile(mark, folder / f"{name}.dll")

    def marks(self, folder: Path):
        return sorted(p.name for p in folder.glob("*.loaded"))


# What users download, at most: 2.2 MB (the code about 1.5 MB, the art at
# its size and at twice its size for scaled screens about 0.75 MB).
MAX_INSTALLER_BYTES = 2_200_000


def pe_kind(executable: Path):
    """(machine, optional header magic, subsystem) of a PE file."""
    image = PeImage(executable)
    return image.machine, image.magic, image.subsystem


class ImportTableTest(unittest.TestCase):
    """The installer as users download it (read, not run: this holds on any machine)."""

    def test_a_32_bit_gui_program(self):
        self.assertEqual(pe_kind(context.shipped_installer()), (0x14C, 0x10B, 2))

    def test_small_enough_to_start_at_once(self):
        # A library's whole initialisation pulled back in (libstdc++'s
        # demangler, say) shows here before anywhere else.
        self.assertLessEqual(context.shipped_installer().stat().st_size, MAX_INSTALLER_BYTES)

    def test_only_known_system_libraries_are_imported_statically(self):
        imported = imported_libraries(context.shipped_installer())
        self.assertIn("kernel32", imported)
        self.assertEqual(sorted(set(imported) - KNOWN_LIBRARIES), [])


class SilentRoadWithPlantedLibrariesTest(InstallerMachineCase, PlantedLibraries):
    WORK_PREFIX = "tw-planted-"

    def test_the_silent_road_loads_nothing_planted(self):
        self.fresh_machine()
        self.plant(self.work)
        with PeerSet(context.deployment_file()) as peers:
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET, check=ENVIRONMENT_CHECK,
                                                  tryno_attributes='condition="1&2"')
            process = self.start_installer()  # from the planted folder, which is also the current directory
            output, _ = process.communicate(timeout=300)
            self.assertEqual(process.returncode, 0, output)
            self.assertIn((21, 0), step_records(peers), "the checks ran and passed")
        self.assertTrue(self.recorded.exists(), "the product installer ran")
        self.assertEqual(self.marks(self.work), [])


class WindowRoadWithPlantedLibrariesTest(WindowMachineCase, PlantedLibraries):
    WORK_PREFIX = "tw-planted-window-"

    def test_the_window_road_loads_nothing_planted(self):
        self.plant(self.work)
        stages = self.temp / "tw_product_installer_stages.txt"
        stages.unlink(missing_ok=True)
        with PeerSet(context.deployment_file()) as peers:
            # The product installer holds its last stage, which would close the window by itself, for 10 s.
            peers["config"].serve_package_channel(1029, 7, PACKAGE, self.product, TARGET,
                                                  attributes='param="linger=10000"')
            self.assertEqual(self.run_window(peers, desktop.FINISHED_BUTTON), 0)
            # It posts its last stage and leaves before the next test starts one of its own.
            desktop.wait_until(lambda: stages.exists() and "stage 5" in stages.read_text(encoding="utf-8"), 60,
                               "the product installer to finish")
        self.assertTrue(self.recorded.exists())
        self.assertEqual(self.marks(self.work), [])


if __name__ == "__main__":
    unittest.main()
