#include "telemetry/record_store_win.h"

#include <windows.h>

#include <optional>

#include "platform/win/machine_objects_win.h"
#include "platform/win/private_folder_win.h"
#include "platform/win/unique_handle_win.h"

namespace TwDirectMetra {
namespace {

constexpr wchar_t kStoreMutex[] = L"Global\\TwInstallKeptTelemetryRecords";
constexpr wchar_t kFileName[] = L"pending_records.dat";
constexpr wchar_t kLockFileName[] = L"pending_records.lock";
// A busy second copy is waited for briefly; the records are not worth more.
constexpr DWORD kLockWaitMs = 2000;
constexpr DWORD kLockPollMs = 10;
// Far above what the record limit can produce: anything larger is not ours.
constexpr DWORD kMaxFileBytes = 32u * 1024 * 1024;
// Two copies of the installer may keep records at once (a newer copy runs
// while the one that started it waits). What serves as the lock is a file
// in the machine folder, opened by one copy at a time and gone when its
// holder ends, crash or not: only the machine's accounts can make it, so no
// other process of the user can hold it or stand in its way. The named
// mutex older copies lock is taken too, while it can be had: made with an
// access list only the machine's accounts may use, but one a standard user
// made first may refuse us or never be released, and then the file alone
// decides.
class StoreLock {
 public:
  explicit StoreLock(const std::wstring& folder) {
    const ULONGLONG deadline = ::GetTickCount64() + kLockWaitMs;
    m_mutex = MakeMutex();
    if (m_mutex) {
      const DWORD waited = ::WaitForSingleObject(m_mutex.Get(), kLockWaitMs);
      // An owner that died mid-change left the old or the new file: both whole.
      m_mutex_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    const std::wstring path = folder + kLockFileName;
    for (;;) {
      m_file.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
      const DWORD error = ::GetLastError();
      if (m_file || ::GetTickCount64() >= deadline) break;
      // Held by the other copy (or being removed as it let go): wait a little.
      if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
      ::Sleep(kLockPollMs);
    }
  }
  ~StoreLock() {
    if (m_mutex_held) ::ReleaseMutex(m_mutex.Get());
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool Held() const { return m_file.IsValid(); }

 private:
  // The mutex older copies lock, made for SYSTEM and Administrators only.
  static tw::win::UniqueHandleObject MakeMutex() {
    tw::win::MachineOnlyAttributes attributes;
    return tw::win::UniqueHandleObject(::CreateMutexW(attributes.Get(), FALSE, kStoreMutex));
  }

  tw::win::UniqueHandleObject m_mutex;
  bool m_mutex_held = false;
  tw::win::UniqueFile m_file;
};

std::string ReadAll(const std::wstring& path) {
  tw::win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxFileBytes) return {};
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return {};
  bytes.resize(read);
  return bytes;
}

// The new content under a name of this process, then renamed over the file.
bool ReplaceWith(const std::wstring& path, const std::string& bytes) {
  const std::wstring temporary = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
  {
    tw::win::UniqueFile file(
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool whole = ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size() && ::FlushFileBuffers(file.Get());
    if (!whole) {
      file.Reset();
      ::DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  ::DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace

std::wstring KeptRecordFile::PreparedFolder() const {
  return (m_base.empty() ? tw::win::MachineFolder()
                         : tw::win::PrepareTrustedFolders(m_base, {L"Tarnwick", L"TwInstall"}))
      .value_or(L"");
}

std::vector<Packet> KeptRecordFile::Claim() {
  const std::wstring folder = PreparedFolder();
  if (folder.empty()) return {};
  StoreLock lock(folder);
  if (!lock.Held()) return {};
  const std::wstring path = folder + kFileName;
  const std::string bytes = ReadAll(path);
  if (bytes.empty()) return {};
  // Taken, not copied: a second copy must not send them again.
  if (!::DeleteFileW(path.c_str())) return {};
  return ParseKeptRecords(bytes);
}

bool KeptRecordFile::Keep(const std::vector<Packet>& packets) {
  if (packets.empty()) return true;
  const std::wstring folder = PreparedFolder();
  if (folder.empty()) return false;
  StoreLock lock(folder);
  if (!lock.Held()) return false;
  const std::wstring path = folder + kFileName;
  return ReplaceWith(path, SerializeKeptRecords(MergeKeptRecords(ParseKeptRecords(ReadAll(path)), packets)));
}

}  // namespace TwDirectMetra
