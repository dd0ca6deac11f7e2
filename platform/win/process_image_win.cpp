#include "platform/win/process_image_win.h"

#include <windows.h>
#include <psapi.h>

#include "platform/text.h"
#include "platform/win/unique_handle_win.h"

namespace tw::win {

std::wstring ProcessExecutablePath(unsigned long id) {
  const UniqueHandleObject process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  if (!process) return {};
  wchar_t path[MAX_PATH * 2] = {};
  if (::GetModuleFileNameExW(process.Get(), nullptr, path, MAX_PATH * 2) > 0) return path;
  if (::GetProcessImageFileNameW(process.Get(), path, MAX_PATH * 2) > 0) return DevicePathToDrivePath(path);
  return {};
}

std::wstring DevicePathToDrivePath(const std::wstring& devicePath) {
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
    const wchar_t drive[3] = {letter, L':', 0};
    wchar_t device[MAX_PATH] = {};
    if (::QueryDosDeviceW(drive, device, MAX_PATH) == 0) continue;
    const std::wstring prefix = device;
    if (!prefix.empty() && devicePath.size() >= prefix.size() &&
        EqualsNoCase(devicePath.substr(0, prefix.size()), prefix)) {
      return drive + devicePath.substr(prefix.size());
    }
  }
  return devicePath;
}

}  // namespace tw::win
