#include "telemetry/identity_rules.h"

#include <cctype>
#include <cstdio>

namespace tw {
namespace {

bool IsPrintable(unsigned char c) { return c >= 0x20 && c < 0x7F; }

std::string Trim(const std::string& text) {
  size_t start = 0, end = text.size();
  while (start < end && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(start, end - start);
}

int HexValue(char c) {
  if (c == ' ') return 0;
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The hexadecimal-pair form, when the whole text is one.
std::optional<std::string> DecodeHexPairs(const std::string& text) {
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  std::string decoded;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexValue(text[i]);
    const int low = HexValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    const auto c = static_cast<unsigned char>(high << 4 | low);
    if (!IsPrintable(c)) return std::nullopt;
    decoded += static_cast<char>(c);
  }
  return decoded;
}

}  // namespace

std::string SeedText(const SeedPieces& p) {
  char random[16], guid[48] = "", time[32], free[16];
  std::snprintf(random, sizeof random, "%05ld", p.random);
  if (p.hasGuid) {
    std::snprintf(guid, sizeof guid, "%08lX%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned long>(p.guidData1), p.guidData2, p.guidData3, p.guidData4[0], p.guidData4[1],
                  p.guidData4[2], p.guidData4[3], p.guidData4[4], p.guidData4[5], p.guidData4[6], p.guidData4[7]);
  }
  std::snprintf(time, sizeof time, "%03d%02d%02d%04d%02d%02d%02d", p.millisecond, p.minute, p.day, p.year, p.hour,
                p.second, p.month);
  std::snprintf(free, sizeof free, "%010lu", static_cast<unsigned long>(p.freeBytesLow));
  return std::string(random) + guid + time + p.computerNameMd5 + free;
}

std::string HardwareText(const HardwareParts& parts) {
  return parts.processor.value_or("NONECPU") + parts.diskModel.value_or("NOHARDDISK") +
         parts.mainboardSerial.value_or("NOMAINBOARD") + parts.networkAddress.value_or("NOMAC") + parts.soundDevice;
}

std::string AtaIdentifyString(const uint16_t* words, int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) {
    text += static_cast<char>(words[i] >> 8);
    text += static_cast<char>(words[i] & 0xFF);
  }
  while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.back())) || text.back() == '\0')) {
    text.pop_back();
  }
  return text;
}

std::string DescriptorString(const char* text, bool swapPairs) {
  if (text == nullptr) return {};
  std::string raw;
  for (const char* c = text; *c != 0 && raw.size() < 256; ++c) raw += *c;
  std::string value;
  if (auto decoded = DecodeHexPairs(raw)) {
    value = *decoded;
  } else {
    for (char c : raw) {
      if (!IsPrintable(static_cast<unsigned char>(c))) break;
      value += c;
    }
  }
  if (swapPairs) {
    for (size_t i = 0; i + 1 < value.size(); i += 2) std::swap(value[i], value[i + 1]);
  }
  return Trim(value);
}

std::string MainboardSerial(const std::string& reported) {
  std::string serial;
  for (char c : reported) {
    if (c != ' ' && serial.size() < 127) serial += c;
  }
  return serial;
}

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace tw
