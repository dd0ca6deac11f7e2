// Rules about Windows path text that need no file system.
#pragma once

#include <string>
#include <vector>

namespace tw {

// Every prefix of `path` ending at a backslash, from the first backslash at
// or after the fourth character: the directories to create, outermost first.
std::vector<std::wstring> ParentDirectories(const std::wstring& path);

// "/" becomes "\" and doubled backslashes collapse, as macro expansion leaves paths.
std::wstring NormalizeSeparators(std::wstring path);

}  // namespace tw
