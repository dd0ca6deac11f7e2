#include "platform/win/link_safe_win.h"

#include <string_view>

namespace tw::win {
namespace {

std::wstring LastStep(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Folder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash + 1);
}

// The name's own long form: a short (8.3) alias in `path` is no link.
std::wstring LongLastStep(const std::wstring& path) {
  const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return LastStep(path);
  std::wstring long_path(needed, L'\0');
  const DWORD length = ::GetLongPathNameW(path.c_str(), long_path.data(), needed);
  if (length == 0 || length >= needed) return LastStep(path);
  long_path.resize(length);
  return LastStep(long_path);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

std::wstring FinalPathOf(HANDLE file) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = 0;
  for (int attempt = 0; attempt < 2; ++attempt) {
    length = ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::wstring();
    if (length < path.size()) break;
    path.resize(length + 1);  // the size asked for, terminator included
  }
  if (length >= path.size()) return std::wstring();
  path.resize(length);
  // "\\?\C:\x" is "C:\x", "\\?\UNC\host\share\x" is "\\host\share\x".
  constexpr std::wstring_view kLocal = L"\\\\?\\", kUnc = L"\\\\?\\UNC\\";
  if (path.compare(0, kUnc.size(), kUnc) == 0) return L"\\\\" + path.substr(kUnc.size());
  if (path.compare(0, kLocal.size(), kLocal) == 0) return path.substr(kLocal.size());
  return path;
}

bool NamesItself(HANDLE file, const std::wstring& path) {
  // Wine follows a Unix link whatever it is asked: the file then is not in
  // the folder the name is in.
  const UniqueFile folder(::CreateFileW(Folder(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder) return false;
  std::wstring expected = FinalPathOf(folder.Get());
  if (expected.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  const std::wstring actual = FinalPathOf(file);
  return !actual.empty() && SamePath(actual, expected + LongLastStep(path));
}

bool OpenedThroughLink(HANDLE file, const std::wstring& path) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(file, &information)) return true;
  // Windows opens a link itself when asked to (FILE_FLAG_OPEN_REPARSE_POINT).
  if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  return !NamesItself(file, path);
}

bool IsLinkAt(const std::wstring& path) {
  const UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file && OpenedThroughLink(file.Get(), path);
}

UniqueFile OpenForAppendNotThroughLink(const std::wstring& path) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_DELETE;
  // A name made anew is no link: creating a new file never follows one,
  // whereas "create if absent" would make a file where a dangling link points.
  UniqueFile file = CreateNewNotThroughLink(path, FILE_APPEND_DATA, kShare);
  if (file) return file;
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return file;
  file.Reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA, kShare, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file && OpenedThroughLink(file.Get(), path)) file.Reset();
  return file;
}

UniqueFile CreateNewNotThroughLink(const std::wstring& path, DWORD access, DWORD share) {
  return UniqueFile(::CreateFileW(path.c_str(), access, share, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

}  // namespace tw::win
