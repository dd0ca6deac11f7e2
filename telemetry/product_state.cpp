#include "telemetry/product_state.h"

#include "platform/text.h"
#include "platform/ux_json.h"

namespace tw {

std::wstring DirectoryFromDisplayIcon(std::wstring value) {
  const auto trimmed = [](wchar_t c) { return c == L'\\' || c == L'"'; };
  while (!value.empty() && trimmed(value.front())) value.erase(0, 1);
  while (!value.empty() && trimmed(value.back())) value.pop_back();
  if (value.empty()) return {};
  if (value.size() >= 4) {
    const std::wstring extension = value.substr(value.size() - 4);
    for (const wchar_t* known : {L".exe", L".dll", L".ico", L".txt"}) {
      if (EqualsNoCase(extension, known)) {
        const size_t slash = value.find_last_of(L'\\');
        value = slash == std::wstring::npos ? std::wstring() : value.substr(0, slash);
        break;
      }
    }
  }
  return value + L"\\";
}

std::wstring ProductStateJson(bool zornInstalled, bool drivoluxInstalled) {
  cf::UxJson::Document document;
  document.Member(L"zorn").SetLong(zornInstalled ? 1 : 0);
  document.Member(L"dvlx").SetLong(drivoluxInstalled ? 1 : 0);
  return document.ToString(false, 0);
}

}  // namespace tw
