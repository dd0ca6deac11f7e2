"""A PE file read as the Windows loader and the delay-load helper read it:
headers, sections, the import table, the delay-import descriptors and the
export names. The tests check the shipped installer with it without running
it, so the checks hold on any machine (Wine's 32-bit system libraries are PE
files on disk even where the kernel runs no 32-bit programs)."""
import re
import struct
from dataclasses import dataclass, field
from pathlib import Path

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
MAGIC_PE32 = 0x10B
MAGIC_PE32_PLUS = 0x20B
SECTION_EXECUTABLE = 0x20000000
DIRECTORY_EXPORT, DIRECTORY_IMPORT, DIRECTORY_DELAY_IMPORT = 0, 1, 13
DELAY_ATTRIBUTES_RVA = 1  # dlattrRva: the descriptor's fields are image-relative
_LIBRARY_NAME = re.compile(rb"[A-Za-z0-9_.\-]+\.dll", re.IGNORECASE)


@dataclass
class Section:
    name: str
    rva: int
    virtual_size: int
    raw_offset: int
    raw_size: int
    characteristics: int

    def holds(self, rva):
        return self.rva <= rva < self.rva + max(self.virtual_size, self.raw_size)

    @property
    def executable(self):
        return bool(self.characteristics & SECTION_EXECUTABLE)


@dataclass
class Slot:
    """One function of an imported library: its name (or ordinal), where its
    address slot is and what the file holds there."""
    function: str | int
    slot_rva: int
    value: int


@dataclass
class ImportedLibrary:
    name: str
    slots: list[Slot] = field(default_factory=list)
    descriptor_rva: int = 0


class PeImage:
    def __init__(self, path: Path):
        self.path = Path(path)
        self.data = self.path.read_bytes()
        pe = self._u32_at(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: not a PE file")
        self.machine, count = struct.unpack_from("<HH", self.data, pe + 4)
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        self.magic = struct.unpack_from("<H", self.data, optional)[0]
        self.is_64 = self.magic == MAGIC_PE32_PLUS
        self.image_base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if self.is_64
                           else self._u32_at(optional + 28))
        self.subsystem = struct.unpack_from("<H", self.data, optional + 68)[0]
        directories = optional + (112 if self.is_64 else 96)
        count_of_directories = self._u32_at(directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(count_of_directories)]
        table = optional + optional_size
        self.sections = []
        for i in range(count):
            name, size, rva, raw_size, raw, *_, flags = struct.unpack_from("<8sIIIIIIHHI", self.data, table + 40 * i)
            self.sections.append(Section(name.rstrip(b"\0").decode(), rva, size, raw, raw_size, flags))
        self.pointer_size = 8 if self.is_64 else 4

    # Reading by address.
    def _u32_at(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def section_of(self, rva):
        return next((s for s in self.sections if s.holds(rva)), None)

    def offset_of(self, rva):
        section = self.section_of(rva)
        if section is None or rva - section.rva >= section.raw_size:
            raise ValueError(f"RVA {rva:#x} has no bytes in the file")
        return rva - section.rva + section.raw_offset

    def bytes_at(self, rva, length):
        offset = self.offset_of(rva)
        return self.data[offset:offset + length]

    def u32(self, rva):
        return self._u32_at(self.offset_of(rva))

    def pointer(self, rva):
        return struct.unpack_from("<Q" if self.is_64 else "<I", self.data, self.offset_of(rva))[0]

    def text(self, rva):
        offset = self.offset_of(rva)
        return self.data[offset:self.data.index(b"\0", offset)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    # Imports.
    def _function_of_name_entry(self, entry):
        ordinal_flag = 1 << (63 if self.is_64 else 31)
        if entry & ordinal_flag:
            return entry & 0xFFFF
        return self.text(entry + 2)  # past the hint

    def _slots(self, names_rva, slots_rva):
        slots = []
        while True:
            entry = self.pointer(names_rva)
            if entry == 0:
                return slots
            slots.append(Slot(self._function_of_name_entry(entry), slots_rva, self.pointer(slots_rva)))
            names_rva += self.pointer_size
            slots_rva += self.pointer_size

    def imports(self) -> list[ImportedLibrary]:
        """The import table: what the loader resolves before any code runs."""
        rva, _ = self.directory(DIRECTORY_IMPORT)
        libraries = []
        while rva:
            names, _, _, name, slots = struct.unpack("<IIIII", self.bytes_at(rva, 20))
            if name == 0:
                break
            library = ImportedLibrary(self.text(name).lower(), descriptor_rva=rva)
            library.slots = self._slots(names or slots, slots)
            libraries.append(library)
            rva += 20
        return libraries

    def delay_imports(self) -> list[ImportedLibrary]:
        """Every delay-import descriptor in the file, found by its layout
        wherever it lies (GNU ld writes no delay-import directory): the
        helper is handed the descriptor by the library's loading code."""
        libraries = []
        for section in self.sections:
            start = section.raw_offset
            end = start + min(section.raw_size, section.virtual_size or section.raw_size)
            if end - start < 32:
                continue
            at = start
            while (at := self.data.find(b"\x01\0\0\0", at, end - 31)) >= 0:
                if (at - start) % 4 == 0:
                    library = self._delay_descriptor_at(section.rva + at - start)
                    if library is not None:
                        libraries.append(library)
                at += 1
        return libraries

    def _delay_descriptor_at(self, rva):
        attributes, name, module, slots, names, bound, unload, stamp = struct.unpack("<8I", self.bytes_at(rva, 32))
        if attributes != DELAY_ATTRIBUTES_RVA or (bound, unload, stamp) != (0, 0, 0) or 0 in (name, module, slots,
                                                                                             names):
            return None
        try:
            offset = self.offset_of(name)
            if not _LIBRARY_NAME.fullmatch(self.data[offset:self.data.index(b"\0", offset)]):
                return None
            library = ImportedLibrary(self.text(name).lower(), descriptor_rva=rva)
            library.slots = self._slots(names, slots)
        except ValueError:
            return None
        return library

    # Exports.
    def exports(self):
        """(the exported names, the range of exported ordinals)."""
        rva, _ = self.directory(DIRECTORY_EXPORT)
        if rva == 0:
            return set(), range(0)
        base, functions, count, _, names_rva = struct.unpack("<5I", self.bytes_at(rva + 16, 20))
        exported = {self.text(self.u32(names_rva + 4 * i)) for i in range(count)}
        return exported, range(base, base + functions)
