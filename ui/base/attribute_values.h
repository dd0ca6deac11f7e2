// How layout, skin and style attributes read their values. One set of rules
// for every document, so a number or colour means the same wherever it is
// written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/base/ux_types.h"

namespace tw::ux {

// StrToInt rules: leading blanks, an optional sign, decimal digits up to the
// first other character; no digits gives 0; clamped to 32 bits.
int ReadInt(std::string_view text) noexcept;

// Hexadecimal digits up to the first other character (no prefix); a text
// that starts with a non-hex character gives 0. Keeps the low 32 bits.
uint32_t ReadHex(std::string_view text) noexcept;

// Exactly six hex digits "RRGGBB" in either case, stored red-low like a
// COLORREF; any other character among the first six (or a shorter text)
// gives 0, black. "none" is not special here; styles handle it.
UxColour ReadColour(std::string_view text) noexcept;

// A style colour: "none" means not set, anything else as ReadColour.
UxColour ReadStyleColour(std::string_view text) noexcept;

// True when the whole text (after blanks and sign) is a decimal number.
bool IsDecimalNumber(std::string_view text) noexcept;

std::wstring WideFromUtf8(std::string_view text);

}  // namespace tw::ux
