#include "telemetry/record_store_win.h"

#include <windows.h>

#include <sddl.h>
#include <shlobj.h>

#include "platform/win/unique_handle_win.h"

namespace TwDirectMetra {
namespace {

constexpr wchar_t kStoreMutex[] = L"Global\\TwInstallKeptTelemetryRecords";
constexpr wchar_t kFileName[] = L"pending_records.dat";
// A busy second copy is waited for briefly; the records are not worth more.
constexpr DWORD kLockWaitMs = 2000;
// Far above what the record limit can produce: anything larger is not ours.
constexpr DWORD kMaxFileBytes = 32u * 1024 * 1024;
// Full control for the system and administrators only, not inherited from
// the common folder (which lets every user create files): nobody without
// administrator rights can plant records that the elevated installer sends.
constexpr wchar_t kFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

class StoreLock {
 public:
  StoreLock() : m_mutex(::CreateMutexW(nullptr, FALSE, kStoreMutex)) {
    if (!m_mutex) return;
    const DWORD waited = ::WaitForSingleObject(m_mutex.Get(), kLockWaitMs);
    // An owner that died mid-change left the old or the new file: both whole.
    m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  }
  ~StoreLock() {
    if (m_held) ::ReleaseMutex(m_mutex.Get());
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  bool Held() const { return m_held; }

 private:
  tw::win::UniqueHandleObject m_mutex;
  bool m_held = false;
};

bool CreateFolder(const std::wstring& path, const wchar_t* sddl) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (sddl != nullptr &&
      ::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  const tw::win::UniqueLocalMemory owned(descriptor);
  return ::CreateDirectoryW(path.c_str(), &attributes) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

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

KeptRecordFile::KeptRecordFile() : m_path(DefaultPath()) {}

KeptRecordFile::KeptRecordFile(std::wstring path) : m_path(std::move(path)) {}

std::wstring KeptRecordFile::DefaultPath() {
  wchar_t common[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) return {};
  return std::wstring(common) + L"\\Tarnwick\\TwInstall\\" + kFileName;
}

std::vector<Packet> KeptRecordFile::Claim() {
  if (m_path.empty()) return {};
  StoreLock lock;
  if (!lock.Held()) return {};
  const std::string bytes = ReadAll(m_path);
  if (bytes.empty()) return {};
  // Taken, not copied: a second copy must not send them again.
  if (!::DeleteFileW(m_path.c_str())) return {};
  return ParseKeptRecords(bytes);
}

bool KeptRecordFile::Keep(const std::vector<Packet>& packets) {
  if (m_path.empty() || packets.empty()) return packets.empty();
  const size_t folderEnd = m_path.find_last_of(L'\\');
  const size_t parentEnd = m_path.find_last_of(L'\\', folderEnd - 1);
  if (folderEnd == std::wstring::npos || parentEnd == std::wstring::npos) return false;
  // The parent keeps the common folder's defaults; our own folder does not.
  if (!CreateFolder(m_path.substr(0, parentEnd), nullptr) ||
      !CreateFolder(m_path.substr(0, folderEnd), kFolderSecurity)) {
    return false;
  }
  StoreLock lock;
  if (!lock.Held()) return false;
  return ReplaceWith(m_path, SerializeKeptRecords(MergeKeptRecords(ParseKeptRecords(ReadAll(m_path)), packets)));
}

}  // namespace TwDirectMetra
