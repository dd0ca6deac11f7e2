#include "platform/win/held_file_win.h"

#include "platform/win/link_safe_win.h"

#include <vector>

namespace tw::win {
namespace {

// Large reads keep hashing a big package close to disk speed.
constexpr DWORD kReadChunk = 64 * 1024;

}  // namespace

HeldFile HeldFile::Hold(const std::wstring& path) noexcept {
  HeldFile held;
  if (path.empty()) return held;
  try {
    held.m_path = path;
  } catch (...) {
    return HeldFile();
  }
  // Sharing reading only: writers, renamers and deleters are refused for as
  // long as the handle lives, and an open writer makes this open fail.
  held.m_file.Reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  return held;
}

std::wstring HeldFile::FinalPath() const { return IsHeld() ? FinalPathOf(m_file.Get()) : std::wstring(); }

bool HeldFile::IsAt(const std::wstring& path) const {
  if (!IsHeld() || path.empty()) return false;
  const UniqueFile there(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION ours{}, theirs{};
  return there.IsValid() && ::GetFileInformationByHandle(m_file.Get(), &ours) &&
         ::GetFileInformationByHandle(there.Get(), &theirs) &&
         ours.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber && ours.nFileIndexHigh == theirs.nFileIndexHigh &&
         ours.nFileIndexLow == theirs.nFileIndexLow;
}

bool HeldFile::ReadAll(const std::function<void(const unsigned char*, size_t)>& consume) const {
  if (!IsHeld()) return false;
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(m_file.Get(), start, nullptr, FILE_BEGIN)) return false;
  std::vector<unsigned char> buffer(kReadChunk);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(m_file.Get(), buffer.data(), kReadChunk, &read, nullptr)) return false;
    if (read == 0) return true;
    consume(buffer.data(), read);
  }
}

}  // namespace tw::win
