// Opening a file by its UTF-16 path with C stdio, on Windows and natively.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace tw {

struct FileCloser {
  void operator()(FILE* file) const noexcept { std::fclose(file); }
};
using UniqueStdioFile = std::unique_ptr<FILE, FileCloser>;

// Null when the file cannot be opened; closed when the owner goes.
UniqueStdioFile OpenFileWide(const std::wstring& path, const char* mode);

}  // namespace tw
