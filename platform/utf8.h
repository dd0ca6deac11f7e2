// UTF-16 text (in wchar_t, 16- or 32-bit) to UTF-8 bytes and back.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// Surrogate pairs become one 4-byte sequence; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::wstring_view text);

// UTF-8 to UTF-16 code units (a supplementary character becomes a surrogate
// pair even where wchar_t is 32-bit, so both builds hold the same text).
// Malformed sequences become U+FFFD one byte at a time.
std::wstring Utf8ToUtf16(std::string_view text);

}  // namespace tw
