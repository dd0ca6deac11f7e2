// Registry locations written as text in configuration documents, such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\tarnwick\Antivirus".
#pragma once

#include <string>
#include <string_view>

namespace tw {

enum class RegistryRoot {
  kNone,
  kClassesRoot,
  kCurrentUser,
  kLocalMachine,
  kUsers,
  kPerformanceData,
  kPerformanceText,
  kPerformanceNlsText,
  kCurrentConfig,
  kDynData,
};

struct RegistryPath {
  RegistryRoot root = RegistryRoot::kNone;
  std::wstring subkey;
};

// The root is a case-insensitive prefix; the subkey is everything after the
// first backslash.
RegistryPath SplitRegistryPath(std::wstring_view text);

}  // namespace tw
