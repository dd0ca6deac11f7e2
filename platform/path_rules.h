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

// The last step of `path` ("C:\\a\\pkg_1a2b.exe" gives "pkg_1a2b.exe"); empty
// when it ends at a separator or is "." or "..": not a file name.
std::wstring FileNameOf(const std::wstring& path);

// True when `path` names a file directly in `folder` (given with its
// trailing backslash): the folder's text, in any letter case, then one plain
// file name. A name with its own separators, a "." or ".." step or a
// stream (":") is not in it.
bool IsFileInFolder(const std::wstring& folder, const std::wstring& path);

}  // namespace tw
