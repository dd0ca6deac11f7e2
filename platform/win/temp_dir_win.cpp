#include "platform/win/temp_dir_win.h"

#include <windows.h>

namespace tw::win {

std::optional<std::wstring> TempDirectory() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  return std::wstring(temp, length);
}

}  // namespace tw::win
