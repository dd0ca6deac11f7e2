// A file held open so that no other process can write, rename or delete it
// while it is held: what was verified is what runs. Reading and running it
// (CreateProcess, LoadLibrary) stay possible, they share reading.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

class HeldFile {
 public:
  HeldFile() noexcept = default;

  // Not held when the file is missing or someone already has it open for
  // writing or deleting (then it could change under us).
  static HeldFile Hold(const std::wstring& path) noexcept;

  bool IsHeld() const noexcept { return m_file.IsValid(); }
  const std::wstring& Path() const noexcept { return m_path; }
  void Release() noexcept { m_file.Reset(); }

  // Every byte from the start, in chunks; false on a read error.
  [[nodiscard]] bool ReadAll(const std::function<void(const unsigned char*, size_t)>& consume) const;

 private:
  UniqueFile m_file;
  std::wstring m_path;
};

}  // namespace tw::win
