// The product state text of the install records: which of the vendor's
// products are installed on this machine, as compact JSON such as
// {"dvlx":0,"zorn":1}.
#pragma once

#include <string>

namespace tw {

// The directory named by Drivolux's "DisplayIcon" uninstall value: quotes
// and backslashes trimmed, a file name ending in .exe/.dll/.ico/.txt
// removed, a backslash appended; empty for an empty value.
std::wstring DirectoryFromDisplayIcon(std::wstring value);

std::wstring ProductStateJson(bool zornInstalled, bool drivoluxInstalled);

// Reads the registry and the files afresh.
std::wstring ReadProductState();

}  // namespace tw
