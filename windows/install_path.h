// The install path rules: the default path, validation codes 0..5 and the
// placement of the error line. The file-system questions are an interface
// so the codes are tested with any drive, including ones Wine cannot fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw {

enum class DriveKind { kFixed, kOther };

class IPathQueries {
 public:
  virtual ~IPathQueries() = default;
  // The file attributes of an existing path, nothing when it does not exist.
  virtual std::optional<uint32_t> Attributes(const std::wstring& path) const = 0;
  virtual DriveKind DriveType(const std::wstring& root) const = 0;
  // The volume's free bytes (not the caller's quota); nothing when the query fails.
  virtual std::optional<uint64_t> FreeBytes(const std::wstring& root) const = 0;
};

enum InstallPathCode : int {
  kPathOk = 0,
  kPathUnusable = 1,
  kPathNoDrive = 2,
  kPathIllegalCharacters = 3,
  kPathNoSpace = 4,
  kPathTooLong = 5,
};

constexpr size_t kInstallPathLimit = 150;

int ValidateInstallPath(std::wstring_view path, const IPathQueries& queries);

// Program Files (or "c:\program files" when unknown) + "\tarnwick\tarnwick antivirus\".
std::wstring DefaultInstallPath(std::wstring program_files);
// A browsed folder + "tarnwick antivirus\", with a backslash between.
std::wstring BrowsedInstallPath(std::wstring folder);

// The error text's and the restore link's `pos` for a text `width` pixels wide.
struct PathErrorPositions {
  std::string text;
  std::string link;
};
PathErrorPositions PathErrorLayout(int width);

}  // namespace tw
