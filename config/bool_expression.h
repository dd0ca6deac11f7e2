// The boolean language of install conditions: decimal numbers joined by
// "&", "|", "~" and parentheses, no blanks. This file holds its two pure
// pieces: the character-and-parenthesis test both levels apply, and the
// evaluator of the 0/1 text that numbers are replaced by.
#pragma once

#include <optional>
#include <string_view>

namespace tw {

// Numbers longer than this are outside the language.
constexpr size_t kMaxNumberDigits = 32;

// Every character a digit or one of & ( ) | ~, as many "(" as ")".
bool IsValidExpression(std::string_view text);
bool IsValidExpression(std::wstring_view text);

// The value of a 0/1 text such as "1&(0|~1)"; nothing (E_FAIL) when it is
// not well formed. "~" binds tighter than "&", "&" tighter than "|".
std::optional<bool> EvalBoolExpr(std::wstring_view text);

}  // namespace tw
