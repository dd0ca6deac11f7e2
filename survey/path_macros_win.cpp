#include "survey/path_macros.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>

#include "platform/win/module_path_win.h"
#include "survey/union_config.h"

namespace tw {
namespace {

std::optional<std::wstring> EnvironmentValue(const wchar_t* macro) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = ::ExpandEnvironmentStringsW(macro, value, MAX_PATH);
  if (length == 0 || length > MAX_PATH || std::wstring(value) == macro) return std::nullopt;
  return std::wstring(value);
}

std::optional<std::wstring> MacroValue(int index) {
  wchar_t folder[MAX_PATH] = {};
  switch (index) {
    case 0: return EnvironmentValue(L"%ALLUSERSPROFILE%");
    case 1: return EnvironmentValue(L"%APPDATA%");
    case 2: return EnvironmentValue(L"%TEMP%");
    case 3: {
      const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
      return length > 0 && length < MAX_PATH ? std::optional<std::wstring>(folder) : std::nullopt;
    }
    case 4: {
      const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
      return length > 0 && length < MAX_PATH ? std::optional<std::wstring>(folder) : std::nullopt;
    }
    case 5: {
      const std::wstring exe = win::GetModulePath();
      return exe.empty() ? std::nullopt : std::optional<std::wstring>(exe.substr(0, exe.find_last_of(L'\\')));
    }
    case 6:
      return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder))
                 ? std::optional<std::wstring>(folder)
                 : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace

bool ExpandPathMacros(std::wstring& path) {
  static const wchar_t* const kMacros[] = {L"%ALLUSERSPROFILE%", L"%APPDATA%", L"%TEMP%",       L"%SYSTEM%",
                                           L"%WINDOWS%",         L"%CUR_DIR%", L"%PROGRAMFILES%"};
  for (int i = 0; i < 7; ++i) {
    const std::wstring macro = kMacros[i];
    if (path.find(macro) == std::wstring::npos) continue;
    const std::optional<std::wstring> value = MacroValue(i);
    if (!value) return false;
    for (size_t at = path.find(macro); at != std::wstring::npos; at = path.find(macro, at + value->size())) {
      path.replace(at, macro.size(), *value);
    }
    path = anti_cheat::NormalizeSeparators(path);
    return true;
  }
  return true;
}

}  // namespace tw
