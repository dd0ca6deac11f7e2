// The user's temporary folder, the one place the installer writes its
// downloads, its log and its scratch files.
#pragma once

#include <optional>
#include <string>

namespace tw::win {

// %TEMP% as Windows resolves it, with its trailing backslash; none when
// Windows gives no usable folder (callers choose their own fallback).
std::optional<std::wstring> TempDirectory();

}  // namespace tw::win
