#include "ui/base/string_table.h"

#include <tinyxml2.h>

#include "platform/text.h"
#include "ui/base/attribute_values.h"
#include "ui/base/ux_object.h"

namespace tw::ux {

UxString& UxString::Instance() {
  static UxString instance;
  return instance;
}

bool UxString::LoadDocument(std::string_view xml) {
  tinyxml2::XMLDocument doc;
  const tinyxml2::XMLElement* root = ParseDocumentRoot(doc, xml, "string");
  if (!root) return false;
  for (auto* item = root->FirstChildElement("s"); item; item = item->NextSiblingElement("s")) {
    const char* id = item->Attribute("id");
    if (!id) continue;
    const char* text = item->GetText();
    m_strings.emplace(ReadInt(id), WideFromUtf8(text ? text : ""));
  }
  return true;
}

std::optional<std::wstring> UxString::Lookup(int id) const {
  auto found = m_strings.find(id);
  if (found == m_strings.end()) return std::nullopt;
  return found->second;
}

std::wstring ExpandStringTokens(std::wstring text, const UxString& strings) {
  static constexpr std::wstring_view kToken = L"%str";
  size_t from = 0;
  for (;;) {
    const size_t start = text.find(kToken, from);
    if (start == std::wstring::npos) break;
    const size_t number_at = start + kToken.size();
    const size_t close = text.find(L'%', number_at);
    if (close == std::wstring::npos) break;
    const int id = ParseLeadingInt(std::wstring_view(text).substr(number_at, close - number_at));
    if (id <= 0) break;
    const std::wstring replacement = strings.Lookup(id).value_or(std::wstring());
    text.replace(start, close + 1 - start, replacement);
    from = start + replacement.size();
  }
  return text;
}

}  // namespace tw::ux
