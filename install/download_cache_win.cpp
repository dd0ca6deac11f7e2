#include "install/download_cache_win.h"

#include <windows.h>

#include "platform/log.h"
#include "platform/path_rules.h"
#include "platform/win/registry_win.h"
#include "telemetry/identity_keys.h"

namespace tw {
namespace {

std::wstring MachineKey() { return std::wstring(L"SOFTWARE\\Classes\\") + kDidKey; }

}  // namespace

std::wstring ReadCachedDownload(const std::wstring& name, const std::wstring& folder) {
  const win::UniqueRegKey key =
      win::OpenRegKey(HKEY_LOCAL_MACHINE, MachineKey(), KEY_READ, win::RegistryView::kDefault);
  const std::wstring cached = key ? win::ReadRegString(key.Get(), name.c_str()).value_or(L"") : L"";
  if (cached.empty() || IsFileInFolder(folder, cached)) return cached;
  LogWrite("DownloadCache: %ls names %ls, outside the work folder; not used", name.c_str(), cached.c_str());
  return L"";
}

void CacheDownload(const std::wstring& name, const std::wstring& path, CacheKey key) {
  win::UniqueRegKey opened =
      win::OpenRegKey(HKEY_LOCAL_MACHINE, MachineKey(), KEY_SET_VALUE, win::RegistryView::kDefault);
  if (!opened && key == CacheKey::kCreate) {
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, MachineKey().c_str(), 0, nullptr, 0,
                      win::WithView(KEY_SET_VALUE, win::RegistryView::kDefault), nullptr, opened.Put(), nullptr);
  }
  if (!opened) return;
  ::RegSetValueExW(opened.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

}  // namespace tw
