#include "platform/registry_path.h"

#include "platform/text.h"

namespace tw {

RegistryPath SplitRegistryPath(std::wstring_view text) {
  static const struct {
    const wchar_t* name;
    RegistryRoot root;
  } kRoots[] = {
      {L"HKEY_CLASSES_ROOT", RegistryRoot::kClassesRoot},
      {L"HKEY_CURRENT_USER", RegistryRoot::kCurrentUser},
      {L"HKEY_LOCAL_MACHINE", RegistryRoot::kLocalMachine},
      {L"HKEY_USERS", RegistryRoot::kUsers},
      {L"HKEY_PERFORMANCE_DATA", RegistryRoot::kPerformanceData},
      {L"HKEY_PERFORMANCE_TEXT", RegistryRoot::kPerformanceText},
      {L"HKEY_PERFORMANCE_NLSTEXT", RegistryRoot::kPerformanceNlsText},
      {L"HKEY_CURRENT_CONFIG", RegistryRoot::kCurrentConfig},
      {L"HKEY_DYN_DATA", RegistryRoot::kDynData},
  };
  RegistryPath path;
  for (const auto& candidate : kRoots) {
    const std::wstring_view name(candidate.name);
    if (text.size() >= name.size() && EqualsNoCase(text.substr(0, name.size()), name)) {
      path.root = candidate.root;
      break;
    }
  }
  const size_t slash = text.find(L'\\');
  if (slash != std::wstring_view::npos) path.subkey = std::wstring(text.substr(slash + 1));
  return path;
}

}  // namespace tw
