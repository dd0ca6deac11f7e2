// Conversions between the program's UTF-16 text and the thread's ANSI code
// page (GBK on the users' machines), used for log lines, configuration
// values and package command lines.
#pragma once

#include <string>
#include <string_view>

namespace tw::win {

std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);

}  // namespace tw::win
