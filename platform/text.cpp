#include "platform/text.h"

#include <climits>
#include <cstdint>

namespace tw {

wchar_t AsciiToLower(wchar_t c) noexcept {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

static bool IsBlank(wchar_t c) noexcept {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

int64_t ParseLeadingInt64(std::wstring_view text) noexcept {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    negative = text[i] == L'-';
    ++i;
  }
  constexpr int64_t kLimit = INT64_MAX / 10 - 9;  // room for one more digit
  int64_t value = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value < kLimit ? value * 10 + (text[i] - L'0') : INT64_MAX;
  }
  return negative ? -value : value;
}

long ParseLeadingLong(std::wstring_view text) noexcept {
  const int64_t value = ParseLeadingInt64(text);
  return static_cast<long>(value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value);
}

int ParseLeadingInt(std::wstring_view text) noexcept { return static_cast<int>(ParseLeadingLong(text)); }

std::wstring_view TrimBlanks(std::wstring_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

size_t NoCaseHash::operator()(const std::wstring& text) const noexcept {
  // FNV-1a over the folded code units; the same on 16- and 32-bit wchar_t.
  uint32_t hash = 2166136261u;
  for (wchar_t c : text) {
    hash ^= static_cast<uint32_t>(AsciiToLower(c));
    hash *= 16777619u;
  }
  return hash;
}

std::wstring QuotableText(std::wstring_view text) {
  std::wstring safe;
  safe.reserve(text.size());
  for (wchar_t c : text) {
    const bool control = c < 0x20 || c == 0x7F;
    if (!control && std::wstring_view(L"/\\#&=%\"'").find(c) == std::wstring_view::npos) safe.push_back(c);
  }
  return safe;
}

}  // namespace tw
