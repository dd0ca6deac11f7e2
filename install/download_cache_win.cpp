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
  const win::UniqueRegKey opened =
      key == CacheKey::kCreate
          ? win::CreateRegKey(HKEY_LOCAL_MACHINE, MachineKey(), KEY_SET_VALUE, win::RegistryView::kDefault)
          : win::OpenRegKey(HKEY_LOCAL_MACHINE, MachineKey(), KEY_SET_VALUE, win::RegistryView::kDefault);
  if (opened && !win::WriteRegString(opened.Get(), name.c_str(), path)) {
    LogWrite("DownloadCache: %ls not stored", name.c_str());
  }
}

}  // namespace tw
