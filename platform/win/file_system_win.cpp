#include "platform/win/file_system_win.h"

#include <windows.h>

#include "platform/path_rules.h"
#include "platform/win/link_safe_win.h"

namespace tw::win {

bool CreateParentDirectories(const std::wstring& path) {
  for (const std::wstring& directory : ParentDirectories(path)) {
    if (!::CreateDirectoryW(directory.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return true;
}

void DeleteFileIfPresent(const std::wstring& path) {
  if (IsLinkAt(path)) return;  // what it leads to is not ours (link_safe_win.h)
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(path.c_str());
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<int64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace tw::win
