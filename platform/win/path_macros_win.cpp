#include "platform/win/path_macros_win.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <optional>

#include "platform/win/module_path_win.h"
#include "platform/path_rules.h"

namespace tw {
namespace {

std::optional<std::wstring> EnvironmentValue(const wchar_t* macro) {
  wchar_t value[MAX_PATH] = {};
  const DWORD length = ::ExpandEnvironmentStringsW(macro, value, MAX_PATH);
  if (length == 0 || length > MAX_PATH || std::wstring(value) == macro) return std::nullopt;
  return std::wstring(value);
}

std::wstring DirectoryOf(HMODULE module) {
  const std::wstring path = win::GetModulePath(module);
  return path.substr(0, path.find_last_of(L'\\'));
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::optional<std::wstring> MacroValue(const std::wstring& macro) {
  wchar_t folder[MAX_PATH] = {};
  if (macro == L"%CUR_MODULE%") return DirectoryOf(ThisModule());
  if (macro == L"%CUR_EXE_MODULE%" || macro == L"%CUR_DIR%") return DirectoryOf(nullptr);
  static const wchar_t* const kOrder[] = {L"%ALLUSERSPROFILE%", L"%APPDATA%", L"%TEMP%",        L"%SYSTEM%",
                                          L"%WINDOWS%",         L"",          L"%PROGRAMFILES%"};
  int index = -1;
  for (int i = 0; i < 7; ++i) {
    if (macro == kOrder[i]) index = i;
  }
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
    case 6:
      return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder))
                 ? std::optional<std::wstring>(folder)
                 : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace

bool ExpandPathMacros(std::wstring& path, MacroSet set) {
  static const wchar_t* const kLaunch[] = {L"%ALLUSERSPROFILE%", L"%APPDATA%",    L"%TEMP%",           L"%SYSTEM%",
                                           L"%WINDOWS%",         L"%CUR_MODULE%", L"%CUR_EXE_MODULE%", L"%CUR_DIR%"};
  static const wchar_t* const kSurvey[] = {L"%ALLUSERSPROFILE%", L"%APPDATA%", L"%TEMP%",        L"%SYSTEM%",
                                           L"%WINDOWS%",         L"%CUR_DIR%", L"%PROGRAMFILES%"};
  const bool launch = set == MacroSet::kLaunch;
  if (launch && path.empty()) return false;
  const wchar_t* const* macros = launch ? kLaunch : kSurvey;
  const int count = launch ? 8 : 7;
  for (int i = 0; i < count; ++i) {
    const std::wstring macro = macros[i];
    if (path.find(macro) == std::wstring::npos) continue;
    const std::optional<std::wstring> value = MacroValue(macro);
    if (!value || value->size() > MAX_PATH) return false;
    for (size_t at = path.find(macro); at != std::wstring::npos; at = path.find(macro, at + value->size())) {
      path.replace(at, macro.size(), *value);
    }
    if (launch) {
      // Unique package file names: each "?" a random hexadecimal digit.
      std::srand(::GetTickCount());
      for (wchar_t& c : path) {
        if (c == L'?') c = L"0123456789ABCDEF"[std::rand() % 16];
      }
    }
    path = NormalizeSeparators(path);
    return true;
  }
  return !launch;
}

}  // namespace tw
