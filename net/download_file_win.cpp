#include "net/download_file_win.h"

#include <algorithm>

#include "net/curl_downloader_win.h"
#include "net/http_transfer.h"
#include "net/transfer_rules.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"

namespace tw {
namespace {

constexpr long kDefaultLimitSeconds = 300;
constexpr long kHeadLimitSeconds = 120;

}  // namespace

HRESULT CDownloadFile::Open() {
  m_file.Reset();
  if (!win::CreateParentDirectories(m_path)) return E_FAIL;
  // Empty and new, never through a link planted at the name (then this fails).
  win::DeleteFileIfPresent(m_path);
  m_file = win::CreateNewNotThroughLink(m_path, GENERIC_ALL, FILE_SHARE_READ);
  return m_file ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
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
  return m_callback != nullptr ? m_callback->OnDownloadProgress(ProgressTotal(m_total_length), fraction, 0) : 0;
}

HRESULT CDownloadFile::QueryLength(const char* url, long limitSeconds) {
  if (url == nullptr) return E_FAIL;
  CurlExecuter executer(win::AnsiToWide(url), m_path, nullptr);
  executer.SetHeadLimitSeconds(limitSeconds);
  if (!executer.CreateHandle() || GetDownloadFileLength(executer, nullptr) != kDownloadComplete) return E_FAIL;
  m_total_length = executer.TotalLength();
  return S_OK;
}

int DownloadFile(const std::wstring& url, const std::wstring& path, int* transferError, IDownloadCallback* callback,
                 long timeLimitSeconds) {
  if (url.empty() || path.empty()) return kDownloadFileBadArguments;
  const std::string narrowUrl = win::WideToAnsi(url);
  // A new transfer: its progress starts from nothing, whatever came before.
  if (callback != nullptr) callback->OnTransferStart();
  CDownloadFile file(path, callback);
  const long limit = timeLimitSeconds == 0 ? kDefaultLimitSeconds : timeLimitSeconds;
  // Unknown length only costs the speed figures; a silent server must not
  // hold the user longer for the length than for the whole file.
  (void)file.QueryLength(narrowUrl.c_str(), std::min(kHeadLimitSeconds, limit));
  win::DeleteFileIfPresent(path);
  const int result = HttpGetToSink(narrowUrl.c_str(), &file, limit);
  if (result != 0) {
    win::DeleteFileIfPresent(path);
    if (transferError != nullptr) *transferError = result;
    return kDownloadFileFailed;
  }
  return win::FileExists(path) ? kDownloadFileOk : kDownloadFileMissing;
}

}  // namespace tw
