// UxResource: the bytes of a framework resource by id and type name
// ("xml", "png", "jpg"). Sources in order: the resource folders when they
// come first, a resource module when one is set, the executable's own
// resources, then the primary folder when folders come last. In the
// installer only the executable supplies data; the renderer and tests point
// the folders at a resource set on disk.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::ux::win {

class UxResource {
 public:
  static UxResource& Instance();

  void SetDirectories(std::wstring primary, std::wstring secondary, bool first);
  void SetResourceModule(HMODULE module) noexcept { m_module = module; }
  HMODULE ResourceModule() const noexcept { return m_module; }
  const std::wstring& PrimaryDirectory() const noexcept { return m_primary; }

  // The first source's data, with a NUL added after it.
  std::optional<std::string> Load(int id, const wchar_t* type) const;
  // A file of the primary folder by its plain name ("12.bmp", "logo.png"); a
  // name that could leave the folder, or no folder, reads nothing.
  std::optional<std::string> PrimaryFile(std::wstring_view name) const;
  // Every source's data in lookup order (the start-up documents merge them).
  std::vector<std::string> LoadAll(int id, const wchar_t* type) const;

 private:
  std::vector<std::string> Collect(int id, const wchar_t* type, bool first_only) const;

  std::wstring m_primary;
  std::wstring m_secondary;
  bool m_directories_first = false;
  HMODULE m_module = nullptr;
};

// A module's resource of a type name (names compare without case).
std::optional<std::string> ModuleResource(HMODULE module, int id, const wchar_t* type);

}  // namespace tw::ux::win
