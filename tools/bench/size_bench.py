"""What takes the space in twinstall.exe: the stripped file against its goal,
its PE sections (exact, from the file's own headers) and the code and data
each library brought in (from the linker's map, after unused sections were
dropped)."""
import re
import struct
from collections import Counter
from pathlib import Path

from tools.bench.table import at_most

# What users download, at most: 1.6 MB.
GOAL_BYTES = 1_600_000


def pe_sections(exe: Path) -> dict:
    """Section name → bytes in the file (raw size)."""
    data = exe.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    sections = {}
    for i in range(count):
        name, _, _, raw_size = struct.unpack_from("<8sIII", data, table + 40 * i)
        sections[name.rstrip(b"\0").decode("ascii", "replace")] = raw_size
    return sections


# " .text  0x00403154  0x3f0 libtw_core.a(main_window_rules.cpp.obj)"; long
# section names put the address and size on the next line.
_PLACED = re.compile(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
_NAMED = re.compile(r"^ (\.\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")


def library_of(source: str) -> str:
    match = re.search(r"([^/\\]+\.a)\(", source)
    if match:
        return match.group(1)
    if source.endswith(".res"):
        return "resources (.res)"
    if source == "dll stuff":
        return "import tables"
    return "objects outside libraries" if source.endswith((".o", ".obj")) else source


def bytes_by_library(map_file: Path) -> Counter:
    totals = Counter()
    placed = False
    pending_section = None
    for line in map_file.read_text(errors="replace").splitlines():
        if not placed:
            placed = line.startswith("Linker script and memory map")
            continue
        named = _NAMED.match(line)
        if named:
            section, size, source = named.groups()
            pending_section = None
        elif pending_section and _PLACED.match(line):
            size, source = _PLACED.match(line).groups()
            section, pending_section = pending_section, None
        else:
            alone = re.match(r"^ (\.\S+)\s*$", line)
            pending_section = alone.group(1) if alone else None
            continue
        if section.startswith((".debug", ".stab")) or not int(size, 16):
            continue
        totals[library_of(source)] += int(size, 16)
    return totals


def run(repo: Path, deployment: str, table):
    binaries = repo / "build" / f"win32-{deployment}" / "bin"
    exe = binaries / "twinstall.exe"
    size = exe.stat().st_size
    table.add("size", "twinstall.exe (stripped) / 1.6 MB", size / GOAL_BYTES, size / 1e6, GOAL_BYTES / 1e6, "MB",
              at_most(1.0))
    for name, raw in sorted(pe_sections(exe).items(), key=lambda item: -item[1]):
        if raw >= 16 * 1024:
            table.add("size", f"  section {name} / whole file", raw / size, raw / 1024, size / 1024, "KiB")
    map_file = binaries / "twinstall.map"
    if map_file.exists():
        libraries = bytes_by_library(map_file)
        linked = sum(libraries.values())
        for library, amount in libraries.most_common(8):
            table.add("size", f"  {library} / all linked code and data", amount / linked, amount / 1024,
                      linked / 1024, "KiB")
