#include "telemetry/metra_serialize.h"

#include <zlib.h>

#include <cstdlib>
#include <ctime>

#include "platform/utf8.h"

namespace TwDirectMetra {
namespace {

constexpr size_t kMaxField = 0xFFFF;
constexpr uint8_t kPublicFormatTag = 7;

uint32_t Decimal(const char* text) {
  return text == nullptr ? 0 : static_cast<uint32_t>(std::strtol(text, nullptr, 10));
}

void PutLe(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLe(const std::string& in, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(in[at + i])) << (8 * i);
  return value;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower case is refused on purpose: the identifier is stored upper-case
}

}  // namespace

void GrowBuffer::Append(const void* data, size_t length) {
  if (m_bytes.size() + length > m_bytes.capacity()) m_bytes.reserve(m_bytes.capacity() + length + 1024);
  const auto* bytes = static_cast<const uint8_t*>(data);
  m_bytes.insert(m_bytes.end(), bytes, bytes + length);
  ++m_appends;
}

void TwInstallSerialize::AddUInt8(uint32_t value) {
  const uint8_t byte = static_cast<uint8_t>(value);
  m_fields.Append(&byte, 1);
}

void TwInstallSerialize::AddUInt16(uint32_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  m_fields.Append(bytes, 2);
}

void TwInstallSerialize::AddUInt32(uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  m_fields.Append(bytes, 4);
}

void TwInstallSerialize::AddBlob(const void* data, size_t length) {
  if (length > kMaxField) length = kMaxField;
  AddUInt16(static_cast<uint32_t>(length));
  if (length > 0) m_fields.Append(data, length);
}

void TwInstallSerialize::AddString(const wchar_t* text) {
  std::string utf8 = text != nullptr ? tw::Utf16ToUtf8(text) : std::string();
  if (utf8.size() > kMaxField) {
    size_t cut = kMaxField;
    while (cut > 0 && (static_cast<uint8_t>(utf8[cut]) & 0xC0) == 0x80) --cut;  // keep whole characters
    utf8.resize(cut);
  }
  for (char& c : utf8) c = static_cast<char>(static_cast<uint8_t>(c) ^ kStringMask);
  AddBlob(utf8.data(), utf8.size());
}

void TwInstallSerialize::AddBit(uint32_t value) { m_bits.push_back((value & 0xFF) != 0 ? 1 : 0); }

void TwInstallSerialize::Finish() {
  const uint8_t id[2] = {static_cast<uint8_t>(m_table_id), static_cast<uint8_t>(m_table_id >> 8)};
  m_block.Append(id, 2);
  if (!m_bits.empty()) {
    std::vector<uint8_t> bitBytes((m_bits.size() + 7) / 8, 0);
    for (size_t i = 0; i < m_bits.size(); ++i) bitBytes[i / 8] |= static_cast<uint8_t>(m_bits[i] << (i % 8));
    m_block.Append(bitBytes.data(), bitBytes.size());
  }
  if (!m_fields.Bytes().empty()) m_block.Append(m_fields.Bytes().data(), m_fields.Bytes().size());
}

void MachineKeyBytes(const char* machineId, uint8_t (&key)[16]) {
  for (uint8_t& byte : key) byte = 0;
  if (machineId == nullptr) return;
  size_t length = 0;
  while (machineId[length] != 0 && length <= 32) ++length;
  if (length != 32) return;
  uint8_t parsed[16];
  for (int i = 0; i < 16; ++i) {
    const int high = HexDigit(machineId[2 * i]);
    const int low = HexDigit(machineId[2 * i + 1]);
    if (high < 0 || low < 0) return;
    parsed[i] = static_cast<uint8_t>(high << 4 | low);
  }
  for (int i = 0; i < 16; ++i) key[i] = parsed[i];
}

void TwPublicBlock::FillPublic(const char* reserved1, const char* reserved2, const char* companyId, const char* trynoId,
                               const char* reserved4, const char* machineId, const char* reserved3,
                               const wchar_t* appKey) {
  SetTableId(4);
  uint8_t key[16];
  MachineKeyBytes(machineId, key);
  AddBlob(key, sizeof key);
  AddUInt32(Decimal(reserved1));
  AddUInt32(Decimal(reserved2));
  AddUInt32(Decimal(companyId));
  AddUInt32(Decimal(trynoId));
  AddUInt8(kPublicFormatTag);
  AddUInt16(Decimal(reserved3));
  AddUInt32(Decimal(reserved4));
  AddUInt32(m_send_time != 0 ? m_send_time : static_cast<uint32_t>(std::time(nullptr)));
  AddUInt32(0);
  AddString(appKey);
  Finish();
}

uint32_t Crc32(uint32_t crc, const void* data, size_t length) {
  const auto* bytes = static_cast<const Bytef*>(data);
  while (length > 0) {
    const uInt chunk = length > 0x40000000u ? 0x40000000u : static_cast<uInt>(length);
    crc = static_cast<uint32_t>(crc32(crc, bytes, chunk));
    bytes += chunk;
    length -= chunk;
  }
  return crc;
}

std::vector<uint8_t> BuildPacket(const std::vector<const TwInstallSerialize*>& blocks) {
  std::vector<uint8_t> packet(10, 0);
  packet[2] = 0x02;
  packet[3] = 0x01;
  PutLe(packet, 4, static_cast<uint32_t>(blocks.size()), 2);
  uint32_t crc = 0;
  uint16_t lengthSum = 0;
  for (const TwInstallSerialize* block : blocks) {
    const std::vector<uint8_t>& bytes = block->Finished();
    crc = Crc32(crc, bytes.data(), bytes.size());
    lengthSum = static_cast<uint16_t>(lengthSum + bytes.size());
    packet.insert(packet.end(), bytes.begin(), bytes.end());
  }
  PutLe(packet, 6, crc, 4);
  PutLe(packet, 0, static_cast<uint16_t>(10 + lengthSum), 2);
  return packet;
}

bool AcknowledgementText(const std::string& body, std::string& text) {
  if (body.size() <= 7) return false;
  const uint32_t length = GetLe(body, 0, 2);
  const uint32_t crc = GetLe(body, 3, 4);
  if (static_cast<uint8_t>(body[2]) != 2 || length != body.size() ||
      Crc32(0, body.data() + 7, body.size() - 7) != crc) {
    return false;
  }
  text = body.substr(7);
  text = text.substr(0, text.find('\0'));
  return true;
}

}  // namespace TwDirectMetra
