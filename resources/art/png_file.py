"""The one PNG writer of the project's drawn images (the installer's art and
the framework tests' images): 8-bit RGBA, unfiltered rows, deflated at level
9, so the same pixels always give the same bytes."""

import struct
import zlib


def rgba_png(width, height, rows):
    """The PNG file of `height` rows, each 4 x `width` bytes of RGBA."""
    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))
