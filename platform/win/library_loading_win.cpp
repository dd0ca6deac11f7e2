#include "platform/win/library_loading_win.h"
#include "platform/win/proc_address_win.h"

#include <delayimp.h>

#include <cwchar>
#include <string>

namespace tw::win {
namespace {

constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

std::wstring SystemPath(const std::wstring& fileName) {
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  std::wstring path(system, length);
  if (path.back() != L'\\') path += L'\\';
  return path + fileName;
}

bool IsBareName(const wchar_t* fileName) {
  return fileName != nullptr && *fileName != L'\0' && std::wcspbrk(fileName, L"\\/:") == nullptr;
}

// The delay-load helper would otherwise search with LoadLibraryA.
FARPROC WINAPI DelayLoadNotify(unsigned reason, PDelayLoadInfo info) {
  if (reason != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
  if (::lstrcmpiA(info->szDll, "comctl32.dll") == 0) {
    return reinterpret_cast<FARPROC>(LoadManifestBoundLibrary(L"comctl32.dll"));
  }
  return reinterpret_cast<FARPROC>(LoadSystemLibrary(info->szDll));
}

}  // namespace

bool RestrictLibrarySearch() noexcept {
  __pfnDliNotifyHook2 = &DelayLoadNotify;
  // Absent on Windows 7 without KB2533623: looked up, not imported.
  using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto setDefault = tw::win::GetProc<SetDefaultDirectories>(kernel, "SetDefaultDllDirectories");
  ::SetDllDirectoryW(L"");  // the current directory leaves the search
  return setDefault != nullptr && setDefault(kSearchSystem32) != FALSE;
}

void PreloadSystemLibraries() noexcept {
  // Kept for the life of the process: that is the point.
  constexpr const wchar_t* kLoadedBehindOurBack[] = {L"windowscodecs.dll", L"propsys.dll"};
  for (const wchar_t* name : kLoadedBehindOurBack) (void)LoadSystemLibrary(name);
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept {
  if (!IsBareName(fileName)) return nullptr;  // the directory is ours to choose
  try {
    const std::wstring path = SystemPath(fileName);
    if (path.empty()) return nullptr;
    // A full path, so no search order decides; the library's own imports
    // are looked for beside it, in the system directory.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  } catch (...) {
    return nullptr;
  }
}

HMODULE LoadManifestBoundLibrary(const wchar_t* fileName) noexcept {
  if (!IsBareName(fileName)) return nullptr;
  // A full path would name the system directory's copy, past the binding.
  if (HMODULE bound = ::LoadLibraryExW(fileName, nullptr, kSearchSystem32)) return bound;
  return LoadSystemLibrary(fileName);
}

HMODULE LoadSystemLibrary(const char* fileName) noexcept {
  if (fileName == nullptr) return nullptr;
  wchar_t wide[MAX_PATH] = {};
  if (::MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide, MAX_PATH) == 0) return nullptr;
  return LoadSystemLibrary(wide);
}

}  // namespace tw::win
