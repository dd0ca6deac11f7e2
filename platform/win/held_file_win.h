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
  // Where the held file is now, asked of its handle: the name to start it
  // by. The name it was held under may since name something else (its folder
  // renamed and another put in its place); the handle still names these
  // bytes. Empty when not held or the system cannot say.
  std::wstring FinalPath() const;
  // True when `path` names the held file itself (the same file on the same
  // volume), not another file put at that name.
  bool IsAt(const std::wstring& path) const;
  void Release() noexcept { m_file.Reset(); }

  // Every byte from the start, in chunks; false on a read error.
  [[nodiscard]] bool ReadAll(const std::function<void(const unsigned char*, size_t)>& consume) const;

 private:
  UniqueFile m_file;
  std::wstring m_path;
};

}  // namespace tw::win
