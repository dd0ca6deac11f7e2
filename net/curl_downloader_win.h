// The resumable downloader: the fallback for a package whose first download
// timed out. It fetches the file in slices of at most 10 seconds, each a
// ranged request starting at the bytes already on disk, so a slow or
// breaking connection still gets the file through.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/curl_support.h"
#include "net/download_interfaces.h"
#include "net/download_results.h"
#include "net/partial_download.h"
#include "platform/win/unique_handle_win.h"

namespace tw {

// The transfer record of one resumable download.
class CurlExecuter {
 public:
  CurlExecuter(std::wstring url, std::wstring path, IDownloadCallback* callback);
  ~CurlExecuter();
  CurlExecuter(const CurlExecuter&) = delete;
  CurlExecuter& operator=(const CurlExecuter&) = delete;

  [[nodiscard]] bool CreateHandle();
  bool IsValid() const { return !m_url.empty() && !m_path.empty() && m_curl != nullptr; }

  const std::wstring& Url() const { return m_url; }
  const std::wstring& Path() const { return m_path; }
  CURL* Handle() const { return m_curl.get(); }
  // Sizes and offsets are 64-bit: a package may be larger than 2 GiB.
  int64_t TotalLength() const { return m_served.length; }
  // What the HEAD said of the file: its length, validators and type.
  const ServedFile& Served() const { return m_served; }
  void SetServed(ServedFile served) { m_served = std::move(served); }
  int64_t CurrentSize() const { return m_current_size; }
  // The HEAD request's limit: 120 s, or less when the caller's whole
  // transfer has less.
  long HeadLimitSeconds() const { return m_head_limit_seconds; }
  void SetHeadLimitSeconds(long seconds) { m_head_limit_seconds = seconds; }

  // Parents, then the file: always new, or, with `continuePartial`, the
  // partial file of an earlier run continued where it describes the file
  // the HEAD described (net/partial_file_win.h).
  [[nodiscard]] bool CreateTarget(bool continuePartial = false);
  int64_t ContinuedFrom() const { return m_continued_from; }
  void RestartTarget();  // back to an empty file at offset 0
  void CloseTarget();    // cut at the write position, close
  // One slice: resumes at CurrentSize(); libcurl code (or 2 when invalid).
  [[nodiscard]] int ExecuteDownload(long limitSeconds, long& responseCode);

 private:
  static size_t WriteToFile(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);

  std::wstring m_url;
  std::wstring m_path;
  ServedFile m_served;
  int64_t m_current_size = 0;
  int64_t m_continued_from = 0;  // bytes an earlier run had fetched
  int64_t m_slice_start = 0;     // where the running slice resumed
  long m_head_limit_seconds = 120;
  win::UniqueFile m_file;
  UniqueCurl m_curl;
  IDownloadCallback* m_callback;
};

// Reads the Content-Length of the executer's URL with a HEAD request, with
// its ETag, Last-Modified and Content-Type (CurlExecuter::Served).
// 0, 256 (invalid), 257 (HEAD failed; libcurl code in transferError) or 260.
DownloaderResult GetDownloadFileLength(CurlExecuter& executer, int* transferError);

class TwCurlDownloader {
 public:
  struct Policy {
    int maxAttempts = 605;  // about 100 minutes of 10-second slices
    DWORD pauseMs = 500;    // after a slice that failed other than by time-out
    long sliceSeconds = 10;
  };

  TwCurlDownloader() = default;
  explicit TwCurlDownloader(const Policy& policy) : m_policy(policy) {}

  // `transferError` (may be null) receives the last
  // libcurl code, or the last response code when that was 0. With
  // `continuePartial`, `path` is a partial file that an earlier run may have
  // begun: it is continued when it can be, and kept when the download ends
  // early; `continued` (may be null) gets the bytes taken from it.
  [[nodiscard]] DownloaderResult Download(const std::wstring& url, const std::wstring& path, int* transferError,
                                          IDownloadCallback* callback, bool continuePartial = false,
                                          int64_t* continued = nullptr);

 private:
  [[nodiscard]] DownloaderResult DownloadControl(CurlExecuter& executer, int* transferError, bool continuePartial);
  Policy m_policy;
};

}  // namespace tw
