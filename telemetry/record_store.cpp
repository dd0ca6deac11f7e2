#include "telemetry/record_store.h"

#include "telemetry/metra_serialize.h"

namespace TwDirectMetra {
namespace {

constexpr std::string_view kMagic("TWRQ\x01", 5);

void AppendUint32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t ReadUint32(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

}  // namespace

std::string SerializeKeptRecords(const std::vector<Packet>& packets) {
  std::string out(kMagic);
  for (const Packet& packet : packets) {
    if (packet.empty() || packet.size() > kKeptPacketLimit) continue;
    AppendUint32(out, static_cast<uint32_t>(packet.size()));
    AppendUint32(out, Crc32(0, packet.data(), packet.size()));
    out.append(reinterpret_cast<const char*>(packet.data()), packet.size());
  }
  return out;
}

std::vector<Packet> ParseKeptRecords(std::string_view bytes) {
  std::vector<Packet> packets;
  if (bytes.substr(0, kMagic.size()) != kMagic) return packets;
  size_t at = kMagic.size();
  while (bytes.size() - at >= 8 && packets.size() < kKeptRecordLimit) {
    const uint32_t length = ReadUint32(bytes, at);
    const uint32_t crc = ReadUint32(bytes, at + 4);
    if (length == 0 || length > kKeptPacketLimit || bytes.size() - at - 8 < length) break;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data() + at + 8);
    if (Crc32(0, data, length) != crc) break;
    packets.emplace_back(data, data + length);
    at += 8 + length;
  }
  return packets;
}

std::vector<Packet> MergeKeptRecords(std::vector<Packet> older, const std::vector<Packet>& newer, size_t limit) {
  older.insert(older.end(), newer.begin(), newer.end());
  if (older.size() > limit)
    older.erase(older.begin(), older.begin() + static_cast<std::ptrdiff_t>(older.size() - limit));
  return older;
}

}  // namespace TwDirectMetra
