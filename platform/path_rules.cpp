#include "platform/path_rules.h"

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

}  // namespace tw
