#include "platform/path_rules.h"

#include "platform/text.h"

namespace tw {

std::vector<std::wstring> ParentDirectories(const std::wstring& path) {
  std::vector<std::wstring> directories;
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    directories.push_back(path.substr(0, at + 1));
  }
  return directories;
}

std::wstring NormalizeSeparators(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  size_t doubled;
  while ((doubled = path.find(L"\\\\")) != std::wstring::npos) path.erase(doubled, 1);
  return path;
}

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  return name == L"." || name == L".." ? std::wstring() : name;
}

bool IsFileInFolder(const std::wstring& folder, const std::wstring& path) {
  if (folder.empty() || folder.back() != L'\\' || path.size() <= folder.size()) return false;
  if (!EqualsNoCase(std::wstring_view(path).substr(0, folder.size()), folder)) return false;
  const std::wstring name = path.substr(folder.size());
  return name.find_first_of(L"\\/:") == std::wstring::npos && FileNameOf(name) == name;
}

}  // namespace tw
