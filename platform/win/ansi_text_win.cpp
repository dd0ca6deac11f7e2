#include "platform/win/ansi_text_win.h"

#include <windows.h>

namespace tw::win {

namespace {

// Best-fit mapping would turn a character the code page lacks into one it
// looks like: a fullwidth quote or solidus into '"' or '/', after served
// text was checked for them, or a lookalike host name in a URL into another
// host. A character the code page lacks becomes its default character.
std::string FromWide(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const DWORD flags = codePage == CP_UTF8 || codePage == CP_UTF7 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int size = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int units = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring out(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), units);
  return out;
}

}  // namespace

std::string WideToAnsi(std::wstring_view text) { return FromWide(CP_ACP, text); }
std::string WideToCodePage(unsigned codePage, std::wstring_view text) { return FromWide(codePage, text); }
std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToUtf8(std::wstring_view text) { return FromWide(CP_UTF8, text); }
std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }

}  // namespace tw::win
