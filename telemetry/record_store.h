// The file of telemetry records a run could not deliver, kept on the
// machine for the next run to send first. Each record is a finished packet,
// kept byte for byte. Reading stops at the first damaged record and keeps
// those before it: a file cut short or planted costs records, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace TwDirectMetra {

using Packet = std::vector<uint8_t>;

// A few runs' worth of records; beyond it the oldest go first.
constexpr size_t kKeptRecordLimit = 300;
// A packet's own 16-bit length field bounds it.
constexpr size_t kKeptPacketLimit = 0xFFFF;

// "TWRQ", version 1, then per record: length (4 bytes, little endian), its
// CRC-32 (4 bytes), the packet.
std::string SerializeKeptRecords(const std::vector<Packet>& packets);
std::vector<Packet> ParseKeptRecords(std::string_view bytes);

// `older` followed by `newer`, without the oldest beyond `limit`.
std::vector<Packet> MergeKeptRecords(std::vector<Packet> older, const std::vector<Packet>& newer,
                                     size_t limit = kKeptRecordLimit);

}  // namespace TwDirectMetra
