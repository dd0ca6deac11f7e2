"""Every import of the installer users download leads to its function: each
name is one its library exports, and each delay-import slot holds the
loading thunk of that very slot, which hands the library's own descriptor to
the delay-load helper. Read from the file, not run, so it holds on every
machine: Wine's 32-bit system libraries are PE files on disk even where the
kernel runs no 32-bit programs. A 32-bit file whose slots were left empty by
the linker once painted a black window and could check no certificate while
its 64-bit twin passed everything."""
import re
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

from tools.pe_image import MACHINE_I386, PeImage
from tools.test import context

WINE_LIBRARY_FOLDERS = {
    False: ("/usr/lib/i386-linux-gnu/wine/i386-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
            "/usr/lib/wine/i386-windows"),
    True: ("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows"),
}


def wine_library(name: str, is_64: bool) -> Path | None:
    for folder in WINE_LIBRARY_FOLDERS[is_64]:
        path = Path(folder) / name
        if path.exists():
            return path
    return None


class Exports:
    """The names and ordinals each of Wine's libraries exports, read once."""

    def __init__(self, is_64):
        self.is_64, self.known = is_64, {}

    def fault(self, library, function):
        if library not in self.known:
            path = wine_library(library, self.is_64)
            self.known[library] = PeImage(path).exports() if path else None
        if self.known[library] is None:
            return f"{library}: no such library among Wine's"
        names, ordinals = self.known[library]
        if function in names or (isinstance(function, int) and function in ordinals):
            return None
        return f"{library}!{function}: not exported"


def relative_target(image, rva, length):
    """Where a rel32 jump or reference ending `length` bytes after rva leads."""
    return rva + length + struct.unpack("<i", image.bytes_at(rva + length - 4, 4))[0]


def loading_thunk_fault(image, library, slot):
    """What is wrong with a delay-import slot, or None: it must hold code that
    loads this slot's address and jumps to a merge that passes this library's
    descriptor to the helper."""
    name = f"{library.name}!{slot.function}"
    if slot.value == 0:
        return f"{name}: slot empty"
    thunk = slot.value - image.image_base
    section = image.section_of(thunk)
    if section is None or not section.executable:
        return f"{name}: slot holds {slot.value:#x}, not code"
    code = image.bytes_at(thunk, 12)
    if image.machine == MACHINE_I386:  # mov eax, slot; jmp merge
        loads = code[0] == 0xB8 and struct.unpack_from("<I", code, 1)[0] == image.image_base + slot.slot_rva
        merge = relative_target(image, thunk + 5, 5) if code[5] == 0xE9 else None
    else:  # lea rax, [rip + slot]; jmp merge
        loads = code[:3] == b"\x48\x8d\x05" and relative_target(image, thunk, 7) == slot.slot_rva
        merge = relative_target(image, thunk + 7, 5) if code[7] == 0xE9 else None
    if not loads or merge is None:
        return f"{name}: the slot's code does not load it"
    merge_code = image.bytes_at(merge, 64)
    if image.machine == MACHINE_I386:  # push descriptor
        wanted = b"\x68" + struct.pack("<I", image.image_base + library.descriptor_rva)
        passes = wanted in merge_code[:16]
    else:  # lea rcx, [rip + descriptor]
        at = merge_code.find(b"\x48\x8d\x0d")
        passes = at >= 0 and relative_target(image, merge + at, 7) == library.descriptor_rva
    return None if passes else f"{name}: its merge does not pass {library.name}'s descriptor"


THUNK_32 = re.compile(rb"\xB8(.{4})\xE9(.{4})", re.DOTALL)  # mov eax, slot; jmp merge
THUNK_64 = re.compile(rb"\x48\x8D\x05(.{4})\xE9(.{4})", re.DOTALL)  # lea rax, [rip + slot]; jmp merge


def unlisted_slots(image, libraries):
    """Slots that some loading thunk hands to a library's merge but the
    library's descriptor does not list: a call through one would make the
    helper load whatever name stands at that index."""
    merges = {}
    for library in libraries:
        for slot in library.slots:
            thunk = slot.value - image.image_base
            jump = thunk + (5 if image.machine == MACHINE_I386 else 7)
            if slot.value and image.section_of(thunk) and image.bytes_at(jump, 1) == b"\xE9":
                merges[relative_target(image, jump, 5)] = library
    faults = []
    for section in (s for s in image.sections if s.executable):
        code = image.bytes_at(section.rva, min(section.raw_size, section.virtual_size))
        for match in (THUNK_32 if image.machine == MACHINE_I386 else THUNK_64).finditer(code):
            thunk = section.rva + match.start()
            library = merges.get(thunk + match.end() - match.start() + struct.unpack("<i", match.group(2))[0])
            if library is None:
                continue
            if image.machine == MACHINE_I386:
                slot = struct.unpack("<I", match.group(1))[0] - image.image_base
            else:
                slot = thunk + 7 + struct.unpack("<i", match.group(1))[0]
            if slot not in {listed.slot_rva for listed in library.slots}:
                faults.append(f"{library.name}: the slot at {slot:#x} is loaded by a thunk but not listed")
    return faults


def slot_faults(executable: Path):
    """Every fault of the file's import and delay-import slots."""
    image = PeImage(executable)
    exports = Exports(image.is_64)
    faults = []
    for library in image.imports():
        for slot in library.slots:
            faults.append(exports.fault(library.name, slot.function))
            if slot.value == 0:
                faults.append(f"{library.name}!{slot.function}: slot empty")
    delay_imports = image.delay_imports()
    for library in delay_imports:
        for slot in library.slots:
            faults.append(exports.fault(library.name, slot.function))
            faults.append(loading_thunk_fault(image, library, slot))
    faults += unlisted_slots(image, delay_imports)
    return [fault for fault in faults if fault]


def installers():
    """The shipped 32-bit file, and its 64-bit twin where this machine built one."""
    twin = context.REPO / "build" / f"win64-{context.deployment_file().stem}" / "bin" / "twinstall.exe"
    return [context.shipped_installer()] + ([twin] if twin.exists() else [])


class ImportSlotsTest(unittest.TestCase):

    def test_every_slot_of_the_installer_leads_to_its_function(self):
        for installer in installers():
            with self.subTest(installer=str(installer.relative_to(context.REPO))):
                image = PeImage(installer)
                delay_loaded = {library.name for library in image.delay_imports()}
                # What the certificate check, the network, COM and the common
                # controls need is delay-loaded, not missing.
                self.assertLessEqual({"crypt32.dll", "gdiplus.dll", "secur32.dll", "ws2_32.dll", "ole32.dll",
                                      "comctl32.dll"}, delay_loaded)
                self.assertEqual(slot_faults(installer), [])

    def test_the_check_finds_the_empty_slots_dlltool_leaves(self):
        # The 32-bit fault itself: a call through __imp_AlphaBlend with a
        # delay-import library from dlltool, linked by GNU ld.
        with tempfile.TemporaryDirectory() as work:
            work = Path(work)
            (work / "t.c").write_text("#include <windows.h>\nint main(void) { BLENDFUNCTION b = {0, 0, 255, 0};\n"
                                      "  return AlphaBlend(0, 0, 0, 1, 1, 0, 0, 0, 1, 1, b); }\n")
            (work / "m.def").write_text("LIBRARY msimg32.dll\nEXPORTS\nAlphaBlend@44\n")
            subprocess.run(["i686-w64-mingw32-dlltool", "-k", "--input-def", "m.def", "--output-delaylib",
                            "libmsimg32.a"], cwd=work, check=True)
            subprocess.run(["i686-w64-mingw32-gcc-posix", "t.c", "-L.", "-lmsimg32", "-static", "-o", "t.exe"],
                           cwd=work, check=True)
            self.assertIn("msimg32.dll!AlphaBlend: slot empty", slot_faults(work / "t.exe"))
