#include "net/partial_file_win.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"

namespace tw {
namespace {

constexpr DWORD kMaxRecordBytes = 16 * 1024;

std::wstring RecordPath(const std::wstring& path) { return path + L".txt"; }

std::optional<ServedFile> ReadRecord(const std::wstring& path) {
  const win::UniqueFile file(::CreateFileW(RecordPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file || win::OpenedThroughLink(file.Get(), RecordPath(path))) return std::nullopt;
  std::string text(kMaxRecordBytes, '\0');
  DWORD read = 0;
  if (!::ReadFile(file.Get(), text.data(), kMaxRecordBytes, &read, nullptr) || read == kMaxRecordBytes) {
    return std::nullopt;
  }
  text.resize(read);
  return ParsePartialRecord(text);
}

bool WriteRecord(const std::wstring& path, const ServedFile& now) {
  win::DeleteFileIfPresent(RecordPath(path));
  const win::UniqueFile file = win::CreateNewNotThroughLink(RecordPath(path), GENERIC_WRITE, 0);
  const std::string text = SerializePartialRecord(now);
  DWORD written = 0;
  return file && ::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace

win::UniqueFile OpenPartialFile(const std::wstring& path, const ServedFile& now, int64_t& from) {
  from = 0;
  win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file && win::OpenedThroughLink(file.Get(), path)) file.Reset();
  LARGE_INTEGER size{};
  if (file && ::GetFileSizeEx(file.Get(), &size)) from = ContinueFrom(ReadRecord(path), size.QuadPart, now);
  if (file && from > 0) {
    LARGE_INTEGER at{};
    at.QuadPart = from;
    if (!::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) from = 0;
  }
  if (from == 0) {
    // Nothing to continue: a new, empty file (never through a link).
    file.Reset();
    win::DeleteFileIfPresent(path);
    file = win::CreateNewNotThroughLink(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  } else {
    LogWrite("PartialFile: continuing %ls at %lld of %lld bytes", path.c_str(), static_cast<long long>(from),
             static_cast<long long>(now.length));
  }
  if (file && !WriteRecord(path, now)) LogWrite("PartialFile: no record beside %ls", path.c_str());
  return file;
}

void EmptyPartialFile(HANDLE file) {
  LARGE_INTEGER start{};
  ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file);
}

void ForgetPartialRecord(const std::wstring& path) { win::DeleteFileIfPresent(RecordPath(path)); }

void RemoveStalePartialFiles(const std::wstring& folder, const std::vector<std::wstring>& wanted,
                             int64_t maxAgeSeconds) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  constexpr int64_t kTicksPerSecond = 10000000;
  WIN32_FIND_DATAW found{};
  const win::UniqueFind find(::FindFirstFileW((folder + L"*.part*").c_str(), &found));
  if (!find) return;
  do {
    const std::wstring name = found.cFileName;
    const size_t part = name.find(L".part");
    if (part == std::wstring::npos || (name.compare(part, std::wstring::npos, L".part") != 0 &&
                                       name.compare(part, std::wstring::npos, L".part.txt") != 0)) {
      continue;
    }
    const std::wstring file = name.substr(0, part) + L".part";
    const bool named = std::find(wanted.begin(), wanted.end(), file) != wanted.end();
    const bool old = (ticks(now) - ticks(found.ftLastWriteTime)) / kTicksPerSecond > maxAgeSeconds;
    if (named && !old) continue;
    LogWrite("PartialFile: %ls removed (%s)", name.c_str(), named ? "older than its limit" : "no package wants it");
    win::DeleteFileIfPresent(folder + name);
  } while (::FindNextFileW(find.Get(), &found));
}

}  // namespace tw
