import struct
import unittest
import zlib

from peers.telemetry_peer import PacketError, acknowledgement, decode_packet


def packet(*blocks: bytes, count=None, byte2=2) -> bytes:
    data = b"".join(blocks)
    header = struct.pack("<HBBHI", 10 + len(data), byte2, 1, len(blocks) if count is None else count,
                         zlib.crc32(data))
    return header + data


def masked(text: str) -> bytes:
    raw = bytes(b ^ 0x6B for b in text.encode("utf-8"))
    return struct.pack("<H", len(raw)) + raw


FINAL = struct.pack("<H", 6139) + bytes([1, 2, 1, 1])
UI = struct.pack("<H", 7787) + bytes([0b0110]) + struct.pack("<IBBI", 0, 3, 0, 1)


class TelemetryDecoderTest(unittest.TestCase):
    def test_decodes_blocks_by_their_table(self):
        detail = struct.pack("<HIII", 4680, 3, 30, 4) + masked('{"dvlx":0,"zorn":1}') + struct.pack("<II", 7, 1) \
            + masked("中文")
        blocks = decode_packet(packet(FINAL, UI, detail))
        self.assertEqual(blocks[0]["fields"], {"final_shown": 1, "final_button": 2, "final_completion": 1, "one": 1})
        self.assertEqual(blocks[1]["bits"], [0, 1, 1, 0])
        self.assertEqual(blocks[1]["fields"]["outcome"], 1)
        self.assertEqual(blocks[2]["fields"]["product_state"], '{"dvlx":0,"zorn":1}')
        self.assertEqual(blocks[2]["fields"]["detail_text"], "中文")

    def test_refuses_inconsistent_packets(self):
        good = packet(FINAL)
        for broken in (good[:-1], good + b"\x00", packet(FINAL, count=2), packet(FINAL, byte2=1),
                       good[:6] + b"\x00\x00\x00\x00" + good[10:], packet(struct.pack("<H", 9999))):
            with self.assertRaises(PacketError):
                decode_packet(broken)

    def test_acknowledgement_layout(self):
        ack = acknowledgement(b"[common]\nresult=1\n")
        self.assertEqual(struct.unpack_from("<HBI", ack), (len(ack), 2, zlib.crc32(ack[7:])))


if __name__ == "__main__":
    unittest.main()
