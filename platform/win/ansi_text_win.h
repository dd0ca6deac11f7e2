// Conversions between the program's UTF-16 text and the thread's ANSI code
// page (GBK on the users' machines), used for log lines, configuration
// values and package command lines, and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tw::win {

std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);
// The same for a code page named (the ANSI one is the machine's).
std::string WideToCodePage(unsigned codePage, std::wstring_view text);

// The same for UTF-8 (rule documents, the city lookup, recommendation URLs).
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

}  // namespace tw::win
