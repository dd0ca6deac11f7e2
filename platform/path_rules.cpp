#include "platform/path_rules.h"

namespace tw {

std::vector<std::wstring> ParentDirectories(const std::wstring& path) {
  std::vector<std::wstring> directories;
  for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
    directories.push_back(path.substr(0, at + 1));
  }
  return directories;
}

}  // namespace tw
