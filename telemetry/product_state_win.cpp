#include <windows.h>

#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "telemetry/product_state.h"
#include "platform/win/system_info_win.h"

namespace tw {
namespace {

bool AllExist(const std::wstring& directory, std::initializer_list<const wchar_t*> files) {
  if (directory.empty()) return false;
  for (const wchar_t* file : files) {
    if (!win::FileExists(directory + file)) return false;
  }
  return true;
}

std::wstring DrivoluxDisplayIcon() {
  constexpr wchar_t kKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Drivolux";
  for (const auto view : {win::RegistryView::kDefault, win::RegistryView::kView64}) {
    const win::UniqueRegKey key = win::OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_READ, view);
    const std::wstring value = key ? win::ReadRegString(key.Get(), L"DisplayIcon").value_or(L"") : L"";
    if (!value.empty()) return value;
  }
  return {};
}

}  // namespace

std::wstring ReadProductState() {
  const bool zorn = AllExist(GetProductDir(), {L"zrnxtray.exe", L"zrnlive.exe", L"zrnmain.exe"});
  const bool drivolux = AllExist(DirectoryFromDisplayIcon(DrivoluxDisplayIcon()), {L"drivolux.exe", L"dvlxupdate.exe"});
  return ProductStateJson(zorn, drivolux);
}

}  // namespace tw
