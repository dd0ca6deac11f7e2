#include "net/curl_downloader_win.h"

#include "platform/log.h"
#include "net/certificate_check.h"
#include "net/http_transfer.h"
#include "net/partial_file_win.h"
#include "net/proxy_settings.h"
#include "net/transfer_rules.h"
#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"

namespace tw {
namespace {

// Fewer, larger receives and writes: under Wine each one is costly.
constexpr long kSliceBufferBytes = 512 * 1024;

}  // namespace

CurlExecuter::CurlExecuter(std::wstring url, std::wstring path, IDownloadCallback* callback)
    : m_url(std::move(url)), m_path(std::move(path)), m_callback(callback) {}

CurlExecuter::~CurlExecuter() = default;

bool CurlExecuter::CreateHandle() {
  m_curl.reset(curl_easy_init());
  return m_curl != nullptr;
}

bool CurlExecuter::CreateTarget(bool continuePartial) {
  m_current_size = m_continued_from = 0;
  if (!win::CreateParentDirectories(m_path)) return false;
  if (continuePartial) {
    m_file = OpenPartialFile(m_path, m_served, m_continued_from);
    m_current_size = m_continued_from;
    return m_file.IsValid();
  }
  win::DeleteFileIfPresent(m_path);
  // A new file, never through a link planted at the name (then this fails).
  m_file = win::CreateNewNotThroughLink(m_path, GENERIC_ALL, FILE_SHARE_READ);
  return m_file.IsValid();
}

void CurlExecuter::RestartTarget() {
  if (!m_file) return;
  EmptyPartialFile(m_file.Get());
  m_current_size = 0;
}

void CurlExecuter::CloseTarget() {
  if (!m_file) return;
  ::SetEndOfFile(m_file.Get());
  m_file.Reset();
}

size_t CurlExecuter::WriteToFile(char* data, size_t size, size_t count, void* self) {
  auto* executer = static_cast<CurlExecuter*>(self);
  const size_t bytes = size * count;
  // Only the file's own bytes: a whole answer from the start, or a range.
  // An error page (503, 429 …) is read and dropped, so the next slice
  // resumes where the file really ends.
  long status = 0;
  curl_easy_getinfo(executer->m_curl.get(), CURLINFO_RESPONSE_CODE, &status);
  if (!(status == 206 || (status == 200 && executer->m_slice_start == 0))) return bytes;
  DWORD written = 0;
  // A failed write ends the slice: counting bytes that never reached the
  // disk would resume past a hole and report a damaged file as complete.
  if (!::WriteFile(executer->m_file.Get(), data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes) {
    return 0;
  }
  executer->m_current_size += static_cast<int64_t>(bytes);
  return bytes;
}

int CurlExecuter::OnProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* executer = static_cast<CurlExecuter*>(self);
  if (executer->m_callback == nullptr) return 0;
  // Of the whole file, not of this slice: each slice continues where the
  // last one ended, and the bar must not run back to its start.
  const int64_t length = executer->m_served.length;
  const double fraction =
      length > 0 ? ProgressFraction(static_cast<double>(executer->m_slice_start + now), static_cast<double>(length))
                 : ProgressFraction(static_cast<double>(now), static_cast<double>(total));
  return executer->m_callback->OnDownloadProgress(ProgressTotal(length), fraction, 0) != 0;
}

int CurlExecuter::ExecuteDownload(long limitSeconds, long& responseCode) {
  if (!IsValid()) return CURLE_FAILED_INIT;
  m_slice_start = m_current_size;
  const std::string url = win::WideToAnsi(m_url);
  // A continued file goes on only while the server's file is the one its
  // bytes came from: otherwise it answers with the whole file (libcurl's
  // range error), and the file starts anew.
  UniqueCurlSlist headers;
  const std::string validator = IfRangeValidator(m_served);
  if (m_current_size > 0 && !validator.empty()) {
    headers.reset(curl_slist_append(nullptr, ("If-Range: " + validator).c_str()));
  }
  CURLcode code = OptionSetter(m_curl.get())
                      .Set(CURLOPT_HTTPHEADER, headers.get())
                      .Set(CURLOPT_URL, url.c_str())
                      .Set(CURLOPT_HEADER, 0L)
                      .Set(CURLOPT_TIMEOUT, limitSeconds)
                      .Set(CURLOPT_NOSIGNAL, 1L)
                      .Set(CURLOPT_BUFFERSIZE, kSliceBufferBytes)
                      .SetCallback<CURLOPT_WRITEFUNCTION>(&CurlExecuter::WriteToFile)
                      .Set(CURLOPT_WRITEDATA, this)
                      .Set(CURLOPT_NOPROGRESS, 0L)
                      .SetCallback<CURLOPT_XFERINFOFUNCTION>(&CurlExecuter::OnProgress)
                      .Set(CURLOPT_XFERINFODATA, this)
                      .Set(CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(m_current_size))
                      .Then(ApplyProxySettings)
                      .Then(RequireTrustedCertificate)
                      .Code();
  if (code == CURLE_OK) code = PerformWithDirectFallback(m_curl.get());
  curl_easy_setopt(m_curl.get(), CURLOPT_HTTPHEADER, nullptr);  // the list goes with this slice
  if (code != CURLE_OK) return code;
  code = curl_easy_getinfo(m_curl.get(), CURLINFO_RESPONSE_CODE, &responseCode);
  if (code != CURLE_OK) return code;
  LogWrite("ExecuteDownload ResponseCode = %d", static_cast<int>(responseCode));
  return CURLE_OK;
}

DownloaderResult GetDownloadFileLength(CurlExecuter& executer, int* transferError) {
  if (!executer.IsValid()) return DownloaderResult::kInvalid;
  std::string headers;
  const int code = HttpQueryHeaders(executer, headers);
  if (code != CURLE_OK || headers.empty()) {
    if (transferError != nullptr) *transferError = code;
    return DownloaderResult::kHeadFailed;
  }
  // The last answer's headers: a proxy's CONNECT answer may come first.
  const std::wstring wide = win::AnsiToWide(headers);
  int status = 0;
  const std::wstring answer(LastAnswer(wide, status));
  ServedFile served;
  served.url = win::WideToAnsi(executer.Url());
  const std::wstring value = FindHeaderValue(answer, L"content-length");
  // Only a successful answer describes the file: a 404's or a 501's length
  // and type are its error page's (a text/html page would pass for a
  // sign-in portal's, and its length for one the file must have). The
  // slices still go ahead after such a HEAD, as they always did.
  if (status >= 200 && status <= 299) {
    served.length = value.empty() ? 0 : ParseLeadingInt64(value);
    served.etag = win::WideToAnsi(FindHeaderValue(answer, L"etag"));
    served.lastModified = win::WideToAnsi(FindHeaderValue(answer, L"last-modified"));
    served.contentType = win::WideToAnsi(FindHeaderValue(answer, L"content-type"));
  }
  executer.SetServed(served);
  if (value.empty()) return DownloaderResult::kNoContentLength;
  return DownloaderResult::kComplete;
}

DownloaderResult TwCurlDownloader::Download(const std::wstring& url, const std::wstring& path, int* transferError,
                                            IDownloadCallback* callback, bool continuePartial, int64_t* continued) {
  // A new transfer: its progress starts from nothing, whatever came before.
  if (callback != nullptr) callback->OnTransferStart();
  CurlExecuter executer(url, path, callback);
  if (!executer.CreateHandle()) return DownloaderResult::kNoHandle;
  const DownloaderResult result = DownloadControl(executer, transferError, continuePartial);
  if (continued != nullptr) *continued = executer.ContinuedFrom();
  return result;
}

DownloaderResult TwCurlDownloader::DownloadControl(CurlExecuter& executer, int* transferError, bool continuePartial) {
  LogWrite("DownloadControl -- Start");
  if (!executer.IsValid()) {
    LogWrite("DownloadControl curlExecuter Invalid");
    return DownloaderResult::kInvalid;
  }
  const DownloaderResult lengthResult = GetDownloadFileLength(executer, transferError);
  if (lengthResult != DownloaderResult::kComplete) {
    LogWrite("DownloadControl GetDownloadFileLength Failure");
    return lengthResult;
  }
  if (!executer.CreateTarget(continuePartial)) {
    LogWrite("DownloadControl CreateFile Failure");
    return DownloaderResult::kCreateFailed;
  }

  DownloaderResult result = DownloaderResult::kAttemptsExhausted;
  long responseCode = 0;
  int curlCode = CURLE_OK;
  int count = 1;
  for (; count <= m_policy.maxAttempts; ++count) {
    responseCode = 0;
    const int64_t sliceStart = executer.CurrentSize();
    curlCode = executer.ExecuteDownload(m_policy.sliceSeconds, responseCode);
    LogWrite("DownloadControl -- ExE CurlCode = %d, Count = %d, CurrentSize = %lld, ResCode = %d", curlCode, count,
             static_cast<long long>(executer.CurrentSize()), static_cast<int>(responseCode));
    if (curlCode == CURLE_OK && (responseCode == 206 || responseCode == 200)) {
      result = DownloaderResult::kComplete;
      break;
    }
    if (curlCode == CURLE_RANGE_ERROR) {
      // The server ignores ranges: the next slice fetches the whole file
      // again from its start rather than appending it after what we have.
      LogWrite("DownloadControl -- no range support, restarting at 0");
      executer.RestartTarget();
    }
    // A pause only after a slice that brought nothing (a server error, a
    // refused connection): one that broke after bytes came goes on at once.
    // On a line that drops every so often, the pauses were most of the time.
    const bool progressed = executer.CurrentSize() > sliceStart;
    if (curlCode != CURLE_OPERATION_TIMEDOUT && !progressed) ::Sleep(m_policy.pauseMs);
  }
  executer.CloseTarget();
  if (transferError != nullptr) *transferError = curlCode != CURLE_OK ? curlCode : static_cast<int>(responseCode);
  LogWrite("DownloadControl -- End HRESULT = %d, Count = %d", static_cast<int>(result), count);
  return result;
}

}  // namespace tw
