// Opening a file by its UTF-16 path with C stdio, on Windows and natively.
#pragma once

#include <cstdio>
#include <string>

namespace tw {

// Null when the file cannot be opened; the caller closes it.
FILE* OpenFileWide(const std::wstring& path, const char* mode);

}  // namespace tw
