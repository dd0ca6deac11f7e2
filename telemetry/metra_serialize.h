// Metra records: the binary blocks and packets every telemetry record is
// made of. A server can read a packet with nothing but these layouts and
// the field list of each table, so every byte here is fixed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace TwDirectMetra {

// The application key every record carries.
constexpr const wchar_t* kAppKey = L"q7td2mx0kb5wz3hv9pe6ru4ya1cj";
// Every string byte is combined with this mask on the wire.
constexpr uint8_t kStringMask = 0x6B;

// A byte buffer that starts at 1024 bytes and, when an append does not
// fit, grows to old capacity + appended length + 1024.
class GrowBuffer {
 public:
  GrowBuffer() { m_bytes.reserve(1024); }
  void Append(const void* data, size_t length);
  const std::vector<uint8_t>& Bytes() const { return m_bytes; }
  size_t Capacity() const { return m_bytes.capacity(); }
  size_t AppendCount() const { return m_appends; }

 private:
  std::vector<uint8_t> m_bytes;
  size_t m_appends = 0;
};

class TwInstallSerialize {
 public:
  TwInstallSerialize() = default;
  virtual ~TwInstallSerialize() = default;

  void SetTableId(uint16_t tableId) { m_table_id = tableId; }
  uint16_t TableId() const { return m_table_id; }

  void AddUInt8(uint32_t value);
  void AddUInt16(uint32_t value);
  void AddUInt32(uint32_t value);
  // A length beyond 65535 cannot be written: the blob is cut to 65535 bytes
  // so that the length always matches the bytes that follow it.
  void AddBlob(const void* data, size_t length);
  // UTF-16 in, masked UTF-8 out; null and empty give length 0. Cut at the
  // last whole character within 65535 bytes.
  void AddString(const wchar_t* text);
  void AddString(const std::wstring& text) { AddString(text.c_str()); }
  void AddBit(uint32_t value);

  // Table id, bit bytes, field data, into the finished block. Once.
  void Finish();
  const std::vector<uint8_t>& Finished() const { return m_block.Bytes(); }
  const GrowBuffer& Fields() const { return m_fields; }

 private:
  uint16_t m_table_id = 0;
  GrowBuffer m_fields;
  std::vector<uint8_t> m_bits;
  GrowBuffer m_block;
};

class TwPublicBlock : public TwInstallSerialize {
 public:
  // Texts are decimal (read like atol) except the machine identifier: 32
  // upper-case hexadecimal digits, else 16 zero bytes.
  void FillPublic(const char* reserved1, const char* reserved2, const char* companyId, const char* trynoId,
                  const char* reserved4, const char* machineId, const char* reserved3, const wchar_t* appKey);
  // The clock is fixed in tests; 0 means "now".
  void SetSendTimeForTest(uint32_t seconds) { m_send_time = seconds; }

 private:
  uint32_t m_send_time = 0;
};

// The 16 bytes of the machine key; all zero unless exactly 32 of 0-9/A-F.
void MachineKeyBytes(const char* machineId, uint8_t (&key)[16]);

// zlib's CRC-32, continued from `crc`.
uint32_t Crc32(uint32_t crc, const void* data, size_t length);

// The packet: 10-byte header (length, 0x02, 0x01, block count, CRC), blocks.
std::vector<uint8_t> BuildPacket(const std::vector<const TwInstallSerialize*>& blocks);

// The acknowledgement's text after its 7-byte header, or false when the
// header is short, its byte 2 is not 2, its length or CRC do not match.
[[nodiscard]] bool AcknowledgementText(const std::string& body, std::string& text);

}  // namespace TwDirectMetra
