#include "net/download_file_win.h"

#include <algorithm>
#include <optional>

#include "net/curl_downloader_win.h"
#include "net/http_transfer.h"
#include "net/partial_file_win.h"
#include "platform/log.h"
#include "net/transfer_rules.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"

namespace tw {
namespace {

constexpr long kDefaultLimitSeconds = 300;
constexpr long kHeadLimitSeconds = 120;
// Room left beside a package: the volume also holds the system's own files.
constexpr int64_t kSpaceMarginBytes = 16 * 1024 * 1024;

}  // namespace

HRESULT CDownloadFile::Open() {
  if (m_partial == PartialBytes::kKeep) {
    if (m_file) return S_OK;
    if (!win::CreateParentDirectories(m_path)) return E_FAIL;
    m_file = OpenPartialFile(m_path, m_served, m_continued_from);
    return m_file ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
  }
  m_file.Reset();
  if (!win::CreateParentDirectories(m_path)) return E_FAIL;
  // Empty and new, never through a link planted at the name (then this fails).
  win::DeleteFileIfPresent(m_path);
  m_file = win::CreateNewNotThroughLink(m_path, GENERIC_ALL, FILE_SHARE_READ);
  return m_file ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
}

void CDownloadFile::Restart() {
  m_file.Reset();
  win::DeleteFileIfPresent(m_path);
  m_continued_from = 0;
}

HRESULT CDownloadFile::Seek(int32_t offset) {
  if (!m_file) return E_HANDLE;
  return ::SetFilePointer(m_file.Get(), offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER
             ? HRESULT_FROM_WIN32(::GetLastError())
             : S_OK;
}

HRESULT CDownloadFile::Write(const void* data, uint32_t length) {
  if (!m_file) return E_HANDLE;
  DWORD written = 0;
  if (!::WriteFile(m_file.Get(), data, length, &written, nullptr)) return HRESULT_FROM_WIN32(::GetLastError());
  return written == length ? S_OK : HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

HRESULT CDownloadFile::Close() {
  if (m_file) {
    ::SetEndOfFile(m_file.Get());
    m_file.Reset();
  }
  return S_OK;
}

int32_t CDownloadFile::Progress(double fraction) {
  return m_callback != nullptr ? m_callback->OnDownloadProgress(ProgressTotal(m_served.length), fraction, 0) : 0;
}

HRESULT CDownloadFile::QueryLength(const char* url, long limitSeconds) {
  if (url == nullptr) return E_FAIL;
  CurlExecuter executer(win::AnsiToWide(url), m_path, nullptr);
  executer.SetHeadLimitSeconds(limitSeconds);
  if (!executer.CreateHandle()) return E_FAIL;
  const DownloaderResult result = GetDownloadFileLength(executer, nullptr);
  m_served = executer.Served();
  return result == DownloaderResult::kComplete ? S_OK : E_FAIL;
}

namespace {

std::optional<int64_t> FreeBytesFor(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return std::nullopt;
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(path.substr(0, slash + 1).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return static_cast<int64_t>(available.QuadPart);
}

}  // namespace

DownloadFileResult DownloadFile(const std::wstring& url, const std::wstring& path, int* transferError,
                                IDownloadCallback* callback, long timeLimitSeconds, PartialBytes partial,
                                DownloadOutcome* outcome) {
  if (url.empty() || path.empty()) return DownloadFileResult::kBadArguments;
  const std::string narrowUrl = win::WideToAnsi(url);
  // A new transfer: its progress starts from nothing, whatever came before.
  if (callback != nullptr) callback->OnTransferStart();
  CDownloadFile file(path, callback, partial);
  const long limit = timeLimitSeconds == 0 ? kDefaultLimitSeconds : timeLimitSeconds;
  // Unknown length only costs the speed figures; a silent server must not
  // hold the user longer for the length than for the whole file.
  (void)file.QueryLength(narrowUrl.c_str(), std::min(kHeadLimitSeconds, limit));
  const bool keep = partial == PartialBytes::kKeep;
  DownloadOutcome taken;
  taken.announced = file.TotalLength();
  taken.contentType = file.Served().contentType;
  auto finish = [&](DownloadFileResult result) {
    if (outcome != nullptr) *outcome = taken;
    return result;
  };
  auto fail = [&](DownloadFileResult result, int error) {
    if (transferError != nullptr) *transferError = error;
    return finish(result);
  };
  // A sign-in portal answers every address with its own page: not the
  // package, and nothing of it is kept.
  if (keep && IsWebPageInsteadOfFile(ServedFile{}, file.Served().contentType, 0)) {
    win::DeleteFileIfPresent(path);
    ForgetPartialRecord(path);
    return fail(DownloadFileResult::kWebPage, 200);
  }
  if (keep) {
    // Checked before anything is written: what an earlier run kept counts
    // (at most all of it continues).
    const int64_t kept = win::FileSize(path).value_or(0);
    const int64_t needed = file.TotalLength() - kept + kSpaceMarginBytes;
    const std::optional<int64_t> free = FreeBytesFor(path);
    if (free && file.TotalLength() > 0 && *free < needed) {
      LogWrite("DownloadFile: %lld bytes free, %lld needed", static_cast<long long>(*free),
               static_cast<long long>(needed));
      return fail(DownloadFileResult::kNoSpace, 0);
    }
    if (FAILED(file.Open())) return fail(DownloadFileResult::kFailed, CURLE_WRITE_ERROR);
    taken.continued = file.ContinuedFrom();
  } else {
    win::DeleteFileIfPresent(path);
  }
  SinkRange range{taken.continued, IfRangeValidator(file.Served()), &taken.contentType};
  int result = HttpGetToSink(narrowUrl.c_str(), &file, limit, range);
  if (result == CURLE_RANGE_ERROR && range.from > 0) {
    // The file changed on the server, or it ignores ranges: from the start.
    LogWrite("DownloadFile: the kept bytes of %ls do not continue; anew", path.c_str());
    file.Restart();
    taken.continued = 0;
    range = SinkRange{0, "", &taken.contentType};
    if (SUCCEEDED(file.Open())) result = HttpGetToSink(narrowUrl.c_str(), &file, limit, range);
  }
  const int64_t size = win::FileSize(path).value_or(0);
  taken.fetched = std::max<int64_t>(0, size - taken.continued);
  if (keep && result == 0 && IsWebPageInsteadOfFile(file.Served(), taken.contentType, size)) {
    win::DeleteFileIfPresent(path);
    ForgetPartialRecord(path);
    return fail(DownloadFileResult::kWebPage, 200);
  }
  if (result != 0) {
    if (!keep) win::DeleteFileIfPresent(path);
    return fail(DownloadFileResult::kFailed, result);
  }
  return finish(win::FileExists(path) ? DownloadFileResult::kOk : DownloadFileResult::kMissing);
}

}  // namespace tw
