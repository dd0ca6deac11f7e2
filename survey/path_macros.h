// Paths in configuration documents may start with a macro such as
// "%PROGRAMFILES%"; this expands the first macro found, then tidies the
// separators.
#pragma once

#include <string>

namespace tw {

// False when a needed folder or environment value cannot be read; a text
// without a macro is left as it is and counts as expanded.
bool ExpandPathMacros(std::wstring& path);

}  // namespace tw
