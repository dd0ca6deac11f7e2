// Small text rules shared by the portable core. Case folding is ASCII-only on
// purpose: it matches the C-locale wcsicmp/stricmp the installer's names and
// switches have always been compared with, on every machine and code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

wchar_t AsciiToLower(wchar_t c) noexcept;
bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept;

// Reads like _wtoi: leading blanks, an optional sign, then decimal digits up
// to the first other character. No digits gives 0; values beyond 32 bits are
// clamped instead of wrapping.
int ParseLeadingInt(std::wstring_view text) noexcept;
long ParseLeadingLong(std::wstring_view text) noexcept;
// The same in 64 bits (a length announced by a server), clamped at its limits.
int64_t ParseLeadingInt64(std::wstring_view text) noexcept;

std::wstring_view TrimBlanks(std::wstring_view text) noexcept;

// Text from a document nobody signed, made safe to stand inside a double-
// quoted command-line value: what a reason needs (letters, digits, Chinese
// text, blanks, ordinary punctuation) stays. A quote would end the value and
// let the rest add switches; a backslash could escape the closing quote;
// '/', '#', '&', '=' and '%' are what a product installer that searches the
// raw line for its switches ("/autoinstall", "##name=value&...") or expands
// variables would take for its own: all of them, and control characters,
// are dropped.
std::wstring QuotableText(std::wstring_view text);

struct NoCaseHash {
  size_t operator()(const std::wstring& text) const noexcept;
};
struct NoCaseEqual {
  bool operator()(const std::wstring& a, const std::wstring& b) const noexcept { return EqualsNoCase(a, b); }
};

}  // namespace tw
