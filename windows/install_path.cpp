#include "windows/install_path.h"

#include <cstdio>

namespace tw {

namespace {
constexpr uint32_t kReadOnlyAttribute = 0x1;
constexpr std::wstring_view kIllegal = L"/:*?\"<>|";
}  // namespace

int ValidateInstallPath(std::wstring_view path, const IPathQueries& queries) {
  const std::wstring text(path);
  if (text.size() < 3) return kPathUnusable;
  // A plain read-only file where the folder should be.
  if (const auto attributes = queries.Attributes(text); attributes && *attributes == kReadOnlyAttribute) {
    return kPathUnusable;
  }
  const std::wstring root = text.substr(0, 3);
  if (queries.DriveType(root) != DriveKind::kFixed) return kPathNoDrive;
  if (text.find_first_of(kIllegal, 3) != std::wstring::npos) return kPathIllegalCharacters;
  const std::optional<uint64_t> free_bytes = queries.FreeBytes(root);
  if (!free_bytes || (*free_bytes >> 20) / 1024 < 1) return kPathNoSpace;
  if (text.size() > kInstallPathLimit) return kPathTooLong;
  return kPathOk;
}

std::wstring DefaultInstallPath(std::wstring program_files) {
  if (program_files.empty()) program_files = L"c:\\program files";
  return program_files + L"\\tarnwick\\tarnwick antivirus\\";
}

std::wstring BrowsedInstallPath(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder + L"tarnwick antivirus\\";
}

PathErrorPositions PathErrorLayout(int width) {
  char text[64], link[64];
  std::snprintf(text, sizeof text, "%d,42,%d,58", 24, width + 24);
  std::snprintf(link, sizeof link, "%d,42,%d,58", width + 26, width + 86);
  return {text, link};
}

}  // namespace tw
