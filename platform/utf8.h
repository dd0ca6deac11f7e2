// UTF-16 text (in wchar_t, 16- or 32-bit) to UTF-8 bytes.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// Surrogate pairs become one 4-byte sequence; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::wstring_view text);

}  // namespace tw
