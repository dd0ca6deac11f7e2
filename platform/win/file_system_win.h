// File-system steps shared by everything that writes a download to disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tw::win {

// Creates every missing directory of `path` (each prefix ending at a
// backslash, from the fourth character on). False when one cannot be made.
[[nodiscard]] bool CreateParentDirectories(const std::wstring& path);

// Deletes a file even when it is read-only; nothing when it is absent or
// a link holds the name (neither the link nor what it leads to is touched).
void DeleteFileIfPresent(const std::wstring& path);

bool FileExists(const std::wstring& path);

// The size of the file at `path`; nothing when it cannot be read.
std::optional<int64_t> FileSize(const std::wstring& path);

}  // namespace tw::win
