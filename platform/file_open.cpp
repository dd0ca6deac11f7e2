#include "platform/file_open.h"

#include <cstdint>

namespace tw {

#if defined(_WIN32)
UniqueStdioFile OpenFileWide(const std::wstring& path, const char* mode) {
  std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return UniqueStdioFile(::_wfopen(path.c_str(), wideMode.c_str()));
}
#else
// Natively paths are UTF-8; wide text here comes from the same code units.
UniqueStdioFile OpenFileWide(const std::wstring& path, const char* mode) {
  std::string narrow;
  for (wchar_t c : path) {
    const auto u = static_cast<uint32_t>(c);
    if (u < 0x80) {
      narrow += static_cast<char>(u);
    } else if (u < 0x800) {
      narrow += static_cast<char>(0xC0 | (u >> 6));
      narrow += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      narrow += static_cast<char>(0xE0 | ((u >> 12) & 0x0F));
      narrow += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      narrow += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return UniqueStdioFile(std::fopen(narrow.c_str(), mode));
}
#endif

}  // namespace tw
