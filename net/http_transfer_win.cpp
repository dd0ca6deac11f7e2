#include "net/http_transfer.h"

#include <windows.h>

#include <atomic>

#include "net/curl_downloader_win.h"
#include "net/certificate_check.h"
#include "net/curl_support.h"
#include "net/proxy_settings.h"
#include "net/transfer_rules.h"
#include "net/url_rewrite.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/unique_handle_win.h"

namespace tw {
namespace {

// A recommendation fetch may pass no limit; it is bounded all the same so a
// silent server cannot hold the window's start forever.
constexpr long kUnboundedFetchLimitSeconds = 300;
constexpr long kFileConnectLimitSeconds = 60;
// Large receive buffers: each receive and each file write is a system call,
// and far fewer of them keep a big package download near the line's speed.
constexpr long kDownloadBufferBytes = 512 * 1024;
// A redirect loop ends in an error instead of running until the time limit.
constexpr long kMaxRedirects = 30;

// libcurl code, or the status when the transfer worked but was not 200.
int ResultOf(CURLcode performed, CURL* handle, long* statusOut = nullptr) {
  if (performed != CURLE_OK) return performed;
  long status = 0;
  const CURLcode read = curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  if (statusOut != nullptr) *statusOut = status;
  if (read != CURLE_OK) return read;
  return status == 200 ? 0 : static_cast<int>(status);
}

std::string RewriteAnsi(const char* url) {
  return win::WideToAnsi(RewriteUrl(win::AnsiToWide(url != nullptr ? url : "")));
}

struct SinkTransfer {
  ITwVipWebFile* sink;
  int64_t from = 0;  // bytes the file held before this transfer

  static size_t Write(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<SinkTransfer*>(self);
    const size_t bytes = size * count;
    if (transfer->sink == nullptr) return bytes;
    return FAILED(transfer->sink->Write(data, static_cast<uint32_t>(bytes))) ? 0 : bytes;
  }
  static int Progress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<SinkTransfer*>(self);
    if (transfer->sink == nullptr) return 0;
    // A continued transfer's share is known once the answer's length is: a
    // first report of nothing would hide that it continues.
    if (transfer->from > 0 && total <= 0) return 0;
    // Of the whole file: a continued transfer starts from the share held.
    const double from = static_cast<double>(transfer->from);
    const double fraction =
        total > 0 ? ProgressFraction(from + static_cast<double>(now), from + static_cast<double>(total)) : 0.0;
    return transfer->sink->Progress(fraction) != 0 ? 1 : 0;
  }
};

size_t WriteToHandle(char* data, size_t size, size_t count, void* file) {
  const size_t bytes = size * count;
  DWORD written = 0;
  if (!::WriteFile(static_cast<HANDLE>(file), data, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes) {
    return 0;
  }
  return bytes;
}

// The options both POST recipes share, in their order.
OptionSetter PostOptions(CURL* curl, const std::string& url, const void* body, long length, curl_slist* headers,
                         long totalLimitSeconds, long connectLimitSeconds, MemorySink& sink) {
  OptionSetter setter(curl);
  setter.Set(CURLOPT_URL, url.c_str())
      .Set(CURLOPT_POST, 1L)
      .Set(CURLOPT_POSTFIELDS, body)
      .Set(CURLOPT_POSTFIELDSIZE, length)
      .Set(CURLOPT_HTTPHEADER, headers)
      .Set(CURLOPT_TIMEOUT, totalLimitSeconds)
      .Set(CURLOPT_CONNECTTIMEOUT, connectLimitSeconds)
      .SetCallback<CURLOPT_WRITEFUNCTION>(&MemorySink::Write)
      .Set(CURLOPT_WRITEDATA, &sink);
  return setter;
}

// Ends a transfer whose owner stopped waiting for it (libcurl calls this at
// least once a second, also while it waits for an answer).
int CancelWhenAsked(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* cancel = static_cast<const std::atomic<bool>*>(flag);
  return cancel != nullptr && cancel->load() ? 1 : 0;
}

}  // namespace

int HttpGetToString(const char* url, const char* query, std::string& body, long timeLimitSeconds) {
  UniqueCurl curl(curl_easy_init());
  if (!curl) return CURLE_FAILED_INIT;
  std::string fullUrl = url != nullptr ? url : "";
  if (query != nullptr) fullUrl += std::string("?") + query;
  const UniqueCurlSlist headers = MakeHeaders(HeaderSet::kOctetFull);
  MemorySink sink;
  const CURLcode setup = OptionSetter(curl.get())
                             .Set(CURLOPT_URL, fullUrl.c_str())
                             .Set(CURLOPT_HTTPGET, 1L)
                             .Set(CURLOPT_HTTPHEADER, headers.get())
                             .Set(CURLOPT_TIMEOUT, timeLimitSeconds)
                             .Set(CURLOPT_CONNECTTIMEOUT, timeLimitSeconds)
                             .SetCallback<CURLOPT_WRITEFUNCTION>(&MemorySink::Write)
                             .Set(CURLOPT_WRITEDATA, &sink)
                             .Set(CURLOPT_FOLLOWLOCATION, 1L)
                             .Set(CURLOPT_MAXREDIRS, kMaxRedirects)
                             // A document trusted for coming over https must not be handed
                             // on to plain http, where anyone on the path could write it.
                             .Set(CURLOPT_REDIR_PROTOCOLS_STR, IsHttpsAddress(fullUrl) ? "https" : "http,https")
                             .Then(ApplyProxySettings)
                             .Then(RequireTrustedCertificate)
                             .Code();
  if (setup != CURLE_OK) return setup;
  const CURLcode performed = PerformWithDirectFallback(curl.get());
  if (performed == CURLE_OK && sink.Size() > 0) body = sink.Join();
  return ResultOf(performed, curl.get());
}

int HttpPostForm(const char* url, const void* body, long length, std::string& answer, const std::atomic<bool>* cancel) {
  UniqueCurl curl(curl_easy_init());
  if (!curl) return CURLE_FAILED_INIT;
  const std::string target = RewriteAnsi(url);
  const UniqueCurlSlist headers = MakeHeaders(HeaderSet::kForm);
  MemorySink sink;
  const CURLcode setup = PostOptions(curl.get(), target, body, length, headers.get(), 10L, 10L, sink)
                             .Set(CURLOPT_NOPROGRESS, cancel != nullptr ? 0L : 1L)
                             .SetCallback<CURLOPT_XFERINFOFUNCTION>(&CancelWhenAsked)
                             .Set(CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel))
                             .Then(ApplyProxySettings)
                             .Then(RequireTrustedCertificate)
                             .Code();
  if (setup != CURLE_OK) return setup;
  const CURLcode performed = PerformWithDirectFallback(curl.get());
  long status = 0;
  const int result = ResultOf(performed, curl.get(), &status);
  if (performed == CURLE_OK && (result == 0 || status == 0) && sink.Size() > 0) answer = sink.Join();
  return result;
}

int HttpPostBinary(const std::wstring& url, const void* body, long length, long connectLimitSeconds,
                   long totalLimitSeconds, std::string& answer) {
  UniqueCurl curl(curl_easy_init());
  if (!curl) return 0;
  const std::string target = win::WideToAnsi(RewriteUrl(url));
  const UniqueCurlSlist headers = MakeHeaders(HeaderSet::kOctetShort);
  MemorySink sink;
  const CURLcode setup =
      PostOptions(curl.get(), target, body, length, headers.get(), totalLimitSeconds, connectLimitSeconds, sink)
          .Then(ApplyProxySettings)
          .Then(RequireTrustedCertificate)
          .Code();
  if (setup != CURLE_OK) return 0;
  (void)PerformWithDirectFallback(curl.get());
  answer += sink.Join();
  // A transfer that failed after the status line still read a status; one
  // that failed before it reads 0.
  long status = 0;
  if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return 0;
  return static_cast<int>(status);
}

int HttpGetToSink(const char* url, ITwVipWebFile* sink, long timeLimitSeconds, const SinkRange& range) {
  UniqueCurl curl(curl_easy_init());
  if (!curl) return CURLE_FAILED_INIT;
  UniqueCurlSlist headers = MakeHeaders(HeaderSet::kOctetFull);
  if (range.from > 0 && !range.ifRange.empty()) {
    headers.reset(curl_slist_append(headers.release(), ("If-Range: " + range.ifRange).c_str()));
  }
  SinkTransfer transfer{sink, range.from};
  const CURLcode setup = OptionSetter(curl.get())
                             .Set(CURLOPT_URL, url)
                             .Set(CURLOPT_HTTPGET, 1L)
                             .Set(CURLOPT_HTTPHEADER, headers.get())
                             .Set(CURLOPT_TIMEOUT, timeLimitSeconds)
                             .Set(CURLOPT_CONNECTTIMEOUT, 10L)
                             .Set(CURLOPT_BUFFERSIZE, kDownloadBufferBytes)
                             .SetCallback<CURLOPT_WRITEFUNCTION>(&SinkTransfer::Write)
                             .Set(CURLOPT_WRITEDATA, &transfer)
                             .Set(CURLOPT_NOPROGRESS, 0L)
                             .SetCallback<CURLOPT_XFERINFOFUNCTION>(&SinkTransfer::Progress)
                             .Set(CURLOPT_XFERINFODATA, &transfer)
                             .Set(CURLOPT_FOLLOWLOCATION, 1L)
                             .Set(CURLOPT_MAXREDIRS, kMaxRedirects)
                             .Set(CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(range.from))
                             .Then(ApplyProxySettings)
                             .Then(RequireTrustedCertificate)
                             .Code();
  int result = setup;
  if (setup == CURLE_OK) {
    if (sink != nullptr) sink->Open();  // a failed open shows as a write error
    long status = 0;
    result = ResultOf(PerformWithDirectFallback(curl.get()), curl.get(), &status);
    // The rest of a file arrives as 206: as good as a whole file's 200.
    if (range.from > 0 && result == 206) result = 0;
    const char* type = nullptr;
    if (range.contentType != nullptr && curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK &&
        type != nullptr) {
      *range.contentType = type;
    }
  }
  if (sink != nullptr) sink->Close();
  return result;
}

int HttpGetToFile(const std::wstring& url, const std::wstring& path, long timeLimitSeconds,
                  const std::atomic<bool>* cancel) {
  win::UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return CURLE_WRITE_ERROR;
  UniqueCurl curl(curl_easy_init());
  if (!curl) return CURLE_FAILED_INIT;
  const std::string target = win::WideToUtf8(RewriteUrl(url));
  const long limit = timeLimitSeconds > 0 ? timeLimitSeconds : kUnboundedFetchLimitSeconds;
  const CURLcode setup = OptionSetter(curl.get())
                             .Set(CURLOPT_POST, 0L)
                             .Set(CURLOPT_URL, target.c_str())
                             .Set(CURLOPT_FORBID_REUSE, 1L)
                             .Set(CURLOPT_TIMEOUT, limit)
                             .Set(CURLOPT_CONNECTTIMEOUT, kFileConnectLimitSeconds)
                             .SetCallback<CURLOPT_WRITEFUNCTION>(&WriteToHandle)
                             .Set(CURLOPT_WRITEDATA, static_cast<void*>(file.Get()))
                             .Set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1))
                             .Set(CURLOPT_NOPROGRESS, 0L)
                             .SetCallback<CURLOPT_XFERINFOFUNCTION>(&CancelWhenAsked)
                             .Set(CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel))
                             .Then(ApplyProxySettings)
                             .Then(RequireTrustedCertificate)
                             .Code();
  if (setup != CURLE_OK) return setup;
  const int result = ResultOf(PerformWithDirectFallback(curl.get()), curl.get());
  // An older, longer file must not keep its tail behind the new content.
  ::SetEndOfFile(file.Get());
  return result;
}

int HttpQueryHeaders(CurlExecuter& executer, std::string& headers) {
  CURL* curl = executer.Handle();
  if (curl == nullptr) return CURLE_FAILED_INIT;
  const std::string url = win::WideToAnsi(executer.Url());
  const UniqueCurlSlist list = MakeHeaders(HeaderSet::kOctetFull);
  MemorySink sink;
  CURLcode code = OptionSetter(curl)
                      .Set(CURLOPT_URL, url.c_str())
                      .Set(CURLOPT_HTTPHEADER, list.get())
                      .Set(CURLOPT_HEADER, 1L)
                      .Set(CURLOPT_NOBODY, 1L)
                      .Set(CURLOPT_TIMEOUT, executer.HeadLimitSeconds())
                      .SetCallback<CURLOPT_WRITEFUNCTION>(&MemorySink::Write)
                      .Set(CURLOPT_WRITEDATA, &sink)
                      .Then(ApplyProxySettings)
                      .Then(RequireTrustedCertificate)
                      .Code();
  if (code == CURLE_OK) code = PerformWithDirectFallback(curl);
  long headerSize = 0;
  if (code == CURLE_OK) code = curl_easy_getinfo(curl, CURLINFO_HEADER_SIZE, &headerSize);
  // The handle is reused for the slices: it must not keep a pointer to the
  // header list freed below, nor the HEAD-only settings.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  if (code == CURLE_OK) headers = sink.Join();
  return code;
}

}  // namespace tw
