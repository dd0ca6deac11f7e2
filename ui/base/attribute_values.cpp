#include "ui/base/attribute_values.h"

#include <climits>

#include "platform/utf8.h"

namespace tw::ux {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int ReadInt(std::string_view text) noexcept {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT_MAX} + 1) value = int64_t{INT_MAX} + 1;
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

uint32_t ReadHex(std::string_view text) noexcept {
  uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  return value;
}

UxColour ReadColour(std::string_view text) noexcept {
  if (text.size() < 6) return 0;
  int digits[6];
  for (int i = 0; i < 6; ++i) {
    digits[i] = HexDigit(text[i]);
    if (digits[i] < 0) return 0;
  }
  return MakeColour(digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]);
}

UxColour ReadStyleColour(std::string_view text) noexcept { return text == "none" ? kNoColour : ReadColour(text); }

bool IsDecimalNumber(std::string_view text) noexcept {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

std::wstring WideFromUtf8(std::string_view text) { return Utf8ToUtf16(text); }

}  // namespace tw::ux
