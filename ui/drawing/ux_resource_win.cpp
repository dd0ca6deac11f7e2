#include "ui/drawing/ux_resource_win.h"

#include <cstdio>

#include "platform/file_open.h"

namespace tw::ux::win {

namespace {

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  const tw::UniqueStdioFile file = tw::OpenFileWide(path, "rb");
  if (!file) return std::nullopt;
  std::string data;
  char buffer[16384];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) data.append(buffer, got);
  return data;
}

std::optional<std::string> FromDirectory(const std::wstring& directory, int id, const wchar_t* type) {
  if (directory.empty()) return std::nullopt;
  wchar_t name[64];
  std::swprintf(name, 64, L"%d.%ls", id, type);
  return ReadFileBytes(directory + L"\\" + name);
}

}  // namespace

std::optional<std::string> ModuleResource(HMODULE module, int id, const wchar_t* type) {
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return std::nullopt;
  HGLOBAL loaded = ::LoadResource(module, found);
  const DWORD size = ::SizeofResource(module, found);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), size);
}

UxResource& UxResource::Instance() {
  static UxResource instance;
  return instance;
}

void UxResource::SetDirectories(std::wstring primary, std::wstring secondary, bool first) {
  m_primary = std::move(primary);
  m_secondary = std::move(secondary);
  m_directories_first = first;
}

std::vector<std::string> UxResource::Collect(int id, const wchar_t* type, bool first_only) const {
  std::vector<std::string> found;
  auto take = [&](std::optional<std::string> data) {
    if (data && !(first_only && !found.empty())) found.push_back(std::move(*data));
    return first_only && !found.empty();
  };
  if (m_directories_first) {
    if (take(FromDirectory(m_primary, id, type))) return found;
    if (take(FromDirectory(m_secondary, id, type))) return found;
  }
  // No external image or archive provider is installed in this program.
  if (m_module && take(ModuleResource(m_module, id, type))) return found;
  if (take(ModuleResource(nullptr, id, type))) return found;
  if (!m_directories_first) take(FromDirectory(m_primary, id, type));
  return found;
}

std::optional<std::string> UxResource::PrimaryFile(std::wstring_view name) const {
  const bool plain =
      !name.empty() && name.find_first_of(L"\\/:") == std::wstring_view::npos && name != L"." && name != L"..";
  if (m_primary.empty() || !plain) return std::nullopt;
  return ReadFileBytes(m_primary + L"\\" + std::wstring(name));
}

std::optional<std::string> UxResource::Load(int id, const wchar_t* type) const {
  std::vector<std::string> found = Collect(id, type, true);
  if (found.empty()) return std::nullopt;
  return std::move(found.front());  // std::string keeps a NUL after its data
}

std::vector<std::string> UxResource::LoadAll(int id, const wchar_t* type) const { return Collect(id, type, false); }

}  // namespace tw::ux::win
