#include "platform/win/ansi_text_win.h"

#include <windows.h>

namespace tw::win {

std::string WideToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (units <= 0) return {};
  std::wstring out(static_cast<size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), units);
  return out;
}

}  // namespace tw::win
