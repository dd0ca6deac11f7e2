// The text rules of the machine identifiers, apart from the registry and the
// hardware: how the seed and the hardware description are composed, and how
// identify data and device descriptors become text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

struct SeedPieces {
  long random = 0;       // 0..32767
  bool hasGuid = false;  // an all-zero GUID gives an empty piece
  uint32_t guidData1 = 0;
  uint16_t guidData2 = 0, guidData3 = 0;
  uint8_t guidData4[8] = {};
  int millisecond = 0, minute = 0, day = 0, year = 0, hour = 0, second = 0, month = 0;
  std::string computerNameMd5;  // 32 lower-case hexadecimal digits
  uint32_t freeBytesLow = 0;    // low 32 bits of the system volume's free bytes
};

// The five pieces in order: 96 characters, or 64 without a GUID.
std::string SeedText(const SeedPieces& pieces);

// One text or a failure per part; failures become the placeholders.
struct HardwareParts {
  std::optional<std::string> processor;  // "%08X%08X" of CPUID(1) EDX, EAX
  std::optional<std::string> diskModel;
  std::optional<std::string> mainboardSerial;
  std::optional<std::string> networkAddress;
  std::string soundDevice;  // empty when unreadable
};
std::string HardwareText(const HardwareParts& parts);

// Words [first, last] of ATA identify data: high byte, then low byte of each,
// trailing white space removed.
std::string AtaIdentifyString(const uint16_t* words, int first, int last);

// A storage descriptor string: its printable prefix, or, when it is made only
// of hexadecimal digit pairs (spaces count as 0) that decode to printable
// characters, the decoded text; trimmed at both ends. `swapPairs` swaps
// each pair of characters (serial numbers are stored that way).
std::string DescriptorString(const char* text, bool swapPairs);

// The mainboard serial as reported: spaces removed, at most 127 characters.
std::string MainboardSerial(const std::string& reported);

std::string UpperCase(std::string text);

}  // namespace tw
