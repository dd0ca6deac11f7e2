#include "config/report_values.h"

#include <windows.h>

#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "platform/win/system_info_win.h"

namespace tw {
namespace {

std::wstring* FieldFor(const std::wstring& channel, ReportValues& values) {
  if (EqualsNoCase(channel, L"tid1")) return &values.tid1;
  if (EqualsNoCase(channel, L"tid2")) return &values.tid2;
  if (EqualsNoCase(channel, L"tod1")) return &values.tod1;
  if (EqualsNoCase(channel, L"tod2")) return &values.tod2;
  return nullptr;
}

void FromRegistry(const ReportLeaf& leaf, std::wstring& field) {
  const HKEY root = win::ShortRegistryRoot(win::AnsiToWide(leaf.mainkey));
  if (root == nullptr) return;
  const win::UniqueRegKey key =
      win::OpenRegKey(root, win::AnsiToWide(leaf.path), KEY_READ, win::RegistryView::kDefault);
  if (!key) return;
  const std::wstring name = win::AnsiToWide(leaf.keyname);
  const std::wstring type = win::AnsiToWide(leaf.regtype);
  if (EqualsNoCase(type, L"dword")) {
    if (const auto number = win::ReadRegDword(key.Get(), name.c_str()))
      field = std::to_wstring(static_cast<int>(*number));
  } else if (EqualsNoCase(type, L"string")) {
    if (const auto text = win::ReadRegString(key.Get(), name.c_str())) field = *text;
  }
}

void FromIniFile(const ReportLeaf& leaf, std::wstring& field) {
  const std::wstring file = GetDriverProductDir() + win::AnsiToWide(leaf.path);
  if (!win::FileExists(file)) return;
  wchar_t value[1024] = {};
  ::GetPrivateProfileStringW(win::AnsiToWide(leaf.mainkey).c_str(), win::AnsiToWide(leaf.keyname).c_str(), L"0", value,
                             1024, file.c_str());
  if (value[0] != 0) field = value;
}

}  // namespace

void FillReportValues(const std::multimap<int32_t, ReportLeaf>& reportMap, int32_t reid, ReportValues& values) {
  const auto [first, last] = reportMap.equal_range(reid);
  for (auto it = first; it != last; ++it) {
    const ReportLeaf& leaf = it->second;
    std::wstring* field = FieldFor(win::AnsiToWide(leaf.channel), values);
    if (field == nullptr) continue;
    const std::wstring type = win::AnsiToWide(leaf.type);
    if (EqualsNoCase(type, L"reg")) {
      FromRegistry(leaf, *field);
    } else if (EqualsNoCase(type, L"file")) {
      FromIniFile(leaf, *field);
    }
  }
}

}  // namespace tw
