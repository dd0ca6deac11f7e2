// The string table (`UxString`): texts by id from the string documents, used
// by "%str<id>%" tokens in layouts and by the start-up font choice.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tw::ux {

class UxString {
 public:
  static UxString& Instance();

  // Merges one document (root `string`, children `s` with `id`); ids already
  // present keep their text, so the first source wins. Returns false when
  // the text is not XML or the root is not `string`.
  [[nodiscard]] bool LoadDocument(std::string_view xml);
  std::optional<std::wstring> Lookup(int id) const;
  void Set(int id, std::wstring text) { m_strings.emplace(id, std::move(text)); }
  void Clear() { m_strings.clear(); }

 private:
  std::map<int, std::wstring> m_strings;
};

// Replaces every "%str<id>%" token with the string of that id (empty when
// unknown). The scan ends at the first token whose number is not positive or
// that has no closing "%"; the rest of the text stays as written. Replaced
// text is never scanned again.
std::wstring ExpandStringTokens(std::wstring text, const UxString& strings);

}  // namespace tw::ux
