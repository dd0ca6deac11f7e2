"""The metra telemetry service on loopback.

It checks every packet (length, bytes 2 and 3, block count, CRC-32 over the
blocks), decodes the public block and each report block by its table id
into named fields (strings unmasked), records the result, and answers with
an acknowledgement — well-formed, or damaged in the way a test asked for.

The decoder is written from the wire layouts alone and shares nothing with
the installer's encoder, so the two check each other.
"""
import json
import struct
import threading
import time
import zlib

from peers.framework import Peer, Response

STRING_MASK = 0x6B

# Field lists per table id: (name, kind); kinds u8 u16 u32 blob str.
PUBLIC = [("machine_key", "blob"), ("reserved1", "u32"), ("reserved2", "u32"), ("company_id", "u32"),
          ("tryno_id", "u32"), ("format_tag", "u8"), ("reserved3", "u16"), ("reserved4", "u32"),
          ("send_time", "u32"), ("reserved5", "u32"), ("app_key", "str")]
TABLES = {
    4: (0, PUBLIC),
    7706: (0, [("record_version", "u32"), ("package_version", "u32"), ("step", "u32"), ("step_result", "u32"),
               ("product_state", "str"), ("os_code", "u32"), ("did", "str"), ("report_id", "u8"),
               ("tid1", "str"), ("tid2", "str"), ("tod1", "str"), ("tod2", "str"), ("zero16", "u16"),
               ("zero8", "u8"), ("step_extra", "u8")]),
    4680: (0, [("origin", "u32"), ("detail_step", "u32"), ("detail_kind", "u32"), ("product_state", "str"),
               ("value_a", "u32"), ("value_b", "u32"), ("detail_text", "str")]),
    6139: (0, [("final_shown", "u8"), ("final_button", "u8"), ("final_completion", "u8"), ("one", "u8")]),
    3806: (0, [("did", "str"), ("company_id", "u32"), ("tryno_id", "u32"), ("module_name", "str"),
               ("module_version", "str"), ("exception_code", "u32"), ("exception_address", "u32"),
               ("exe_name", "str"), ("exe_version", "str"), ("os_id", "u32"), ("is64", "u32"),
               ("uptime_seconds", "u32")]),
    4033: (0, [("stage", "u32"), ("code", "u32"), ("subcode", "u32"), ("empty", "str")]),
    3769: (0, [("dir1", "str"), ("md5_1", "str"), ("dir2", "str"), ("md5_2", "str"), ("dir3", "str"),
               ("md5_3", "str"), ("one", "u8"), ("company_id", "u32"), ("tryno_id", "u32")]),
    7787: (4, [("stay", "u32"), ("record_kind", "u8"), ("zero8", "u8"), ("outcome", "u32")]),
}
SIZES = {"u8": 1, "u16": 2, "u32": 4}


class PacketError(ValueError):
    pass


def decode_packet(body: bytes) -> list:
    """The packet's blocks as dicts; raises PacketError on any inconsistency."""
    if len(body) < 10:
        raise PacketError("shorter than the header")
    length, b2, b3, count, crc = struct.unpack_from("<HBBHI", body, 0)
    if length != len(body) & 0xFFFF or length != len(body):
        raise PacketError(f"length field {length} for {len(body)} bytes")
    if (b2, b3) != (2, 1):
        raise PacketError(f"bytes 2 and 3 are {b2} {b3}")
    if zlib.crc32(body[10:]) != crc:
        raise PacketError("CRC mismatch")
    blocks, offset = [], 10
    for _ in range(count):
        block, offset = _decode_block(body, offset)
        blocks.append(block)
    if offset != len(body):
        raise PacketError(f"{len(body) - offset} bytes after the last block")
    return blocks


def _decode_block(body, offset):
    if offset + 2 > len(body):
        raise PacketError("block header past the end")
    table = struct.unpack_from("<H", body, offset)[0]
    offset += 2
    if table not in TABLES:
        raise PacketError(f"unknown table {table}")
    bit_count, fields = TABLES[table]
    bits = []
    if bit_count:
        bit_bytes = body[offset:offset + (bit_count + 7) // 8]
        offset += len(bit_bytes)
        bits = [(bit_bytes[i // 8] >> (i % 8)) & 1 for i in range(bit_count)]
        if bit_bytes[-1] >> (bit_count % 8 or 8):
            raise PacketError("unused high bits set")
    values = {}
    for name, kind in fields:
        if kind in SIZES:
            size = SIZES[kind]
            if offset + size > len(body):
                raise PacketError(f"{name} past the end")
            values[name] = int.from_bytes(body[offset:offset + size], "little")
            offset += size
        else:
            if offset + 2 > len(body):
                raise PacketError(f"{name} length past the end")
            n = struct.unpack_from("<H", body, offset)[0]
            raw = body[offset + 2:offset + 2 + n]
            if len(raw) != n:
                raise PacketError(f"{name} bytes past the end")
            offset += 2 + n
            values[name] = raw.hex().upper() if kind == "blob" else bytes(b ^ STRING_MASK for b in raw).decode("utf-8")
    return {"table": table, "bits": bits, "fields": values}, offset


def acknowledgement(text: bytes, byte2=2, crc_delta=0, length_delta=0) -> bytes:
    header_length = 7 + len(text) + length_delta
    return struct.pack("<HBI", header_length & 0xFFFF, byte2, (zlib.crc32(text) + crc_delta) & 0xFFFFFFFF) + text


ACK_MODES = {
    "ok": lambda: Response(200, acknowledgement(b"[common]\nresult=1\n")),
    "capitals": lambda: Response(200, acknowledgement(b"  [ COMMON ]\r\n  RESULT  =  1 \r\n")),
    "result0": lambda: Response(200, acknowledgement(b"[common]\nresult=0\n")),
    "result2": lambda: Response(200, acknowledgement(b"[common]\nresult=2\n")),
    "no-common": lambda: Response(200, acknowledgement(b"[other]\nresult=1\n")),
    "no-bracket": lambda: Response(200, acknowledgement(b"result=1\n")),
    "no-equals": lambda: Response(200, acknowledgement(b"[common]\nresult 1\n")),
    "wrong-crc": lambda: Response(200, acknowledgement(b"[common]\nresult=1\n", crc_delta=1)),
    "wrong-length": lambda: Response(200, acknowledgement(b"[common]\nresult=1\n", length_delta=1)),
    "byte2-1": lambda: Response(200, acknowledgement(b"[common]\nresult=1\n", byte2=1)),
    "seven-bytes": lambda: Response(200, acknowledgement(b"")),
    "truncated": lambda: Response(200, acknowledgement(b"[common]\nresult=1\n")[:12]),
    "garbage": lambda: Response(200, bytes(range(256)) * 4),
    "status500": lambda: Response(500, acknowledgement(b"[common]\nresult=1\n")),
}


class TelemetryPeer(Peer):
    def __init__(self, port, lifetime=1800.0):
        super().__init__("telemetry", port, lifetime)
        self.records = []
        self.ack_mode = "ok"
        # "silent": accept each packet and say nothing for this long, then hang up.
        self.silent_seconds = 60.0
        self._records_lock = threading.Lock()
        self.route("POST", r"/c/", self._receive)
        self.route("GET", r"/_peer/records", lambda r: Response(200, json.dumps(self.records).encode()))
        self.route("GET", r"/_peer/ack", self._set_mode)
        self.route("GET", r"/_peer/reset", self._reset)

    def _set_mode(self, request):
        mode = request.query.get("mode", ["ok"])[0]
        if mode not in ACK_MODES and mode != "silent":
            return Response(400, b"unknown mode")
        self.ack_mode = mode
        if "seconds" in request.query:
            self.silent_seconds = float(request.query["seconds"][0])
        return Response(200, b"ok")

    def _reset(self, request):
        with self._records_lock:
            self.records.clear()
        self.ack_mode = "ok"
        return Response(200, b"ok")

    def _receive(self, request):
        record = {"time": int(time.time()), "content_type": request.headers.get("content-type", ""),
                  "user_agent": request.headers.get("user-agent", ""), "accept": request.headers.get("accept", ""),
                  "packet": request.body.hex()}
        try:
            record.update(ok=True, blocks=decode_packet(request.body))
        except (PacketError, UnicodeDecodeError) as error:
            record.update(ok=False, error=str(error), blocks=[])
        with self._records_lock:
            self.records.append(record)
        if not record["ok"]:
            return Response(400, b"bad packet")
        if self.ack_mode == "silent":
            return Response(stall_seconds=self.silent_seconds)
        return ACK_MODES[self.ack_mode]()
