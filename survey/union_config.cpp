#include "survey/union_config.h"

namespace anti_cheat {

std::optional<std::string> UnmaskUnionConfig(std::string_view fileBytes) {
  if (fileBytes.size() < 4 || fileBytes.substr(0, 4) != std::string_view("\x2E\x74\x6D\x70", 4)) return std::nullopt;
  std::string text(fileBytes.substr(4));
  for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ kConfigMask);
  return text.substr(0, text.find('\0'));  // a terminated narrow text
}

std::wstring ExecutableFromCommand(std::wstring_view text) {
  const auto trim = [&](wchar_t c) {
    while (!text.empty() && text.front() == c) text.remove_prefix(1);
    while (!text.empty() && text.back() == c) text.remove_suffix(1);
  };
  trim(L'"');
  trim(L' ');
  const size_t exe = text.find(L".exe");
  if (exe != std::wstring_view::npos) text = text.substr(0, exe + 4);
  return std::wstring(text);
}

std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace anti_cheat
