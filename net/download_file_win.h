// The one file download the installer uses for everything it fetches to
// disk (packages, the union configuration, the self-update program). The
// file is written under its final name and deleted when the transfer fails.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/download_interfaces.h"
#include "platform/win/unique_handle_win.h"

namespace tw {

enum DownloadFileResult : int {
  kDownloadFileOk = 0,
  kDownloadFileBadArguments = 51,
  kDownloadFileMissing = 53,  // the transfer said yes, the file says no
  kDownloadFileFailed = 250,  // transfer error: libcurl code or HTTP status
};

// The file sink behind a download.
class CDownloadFile final : public ITwVipWebFile {
 public:
  CDownloadFile(std::wstring path, IDownloadCallback* callback) : m_path(std::move(path)), m_callback(callback) {}
  ~CDownloadFile() { Close(); }
  CDownloadFile(const CDownloadFile&) = delete;
  CDownloadFile& operator=(const CDownloadFile&) = delete;

  HRESULT Open() override;
  HRESULT Seek(int32_t offset) override;
  HRESULT Write(const void* data, uint32_t length) override;
  HRESULT Close() override;
  int32_t Progress(double fraction) override;

  // Content-Length of `url` by a HEAD request: 0, or E_FAIL when unknown.
  [[nodiscard]] HRESULT QueryLength(const char* url, long limitSeconds = 120);
  int64_t TotalLength() const { return m_total_length; }

 private:
  int64_t m_total_length = 0;
  std::wstring m_path;
  IDownloadCallback* m_callback;
  win::UniqueFile m_file;
};

// 0, 51, 53 or 250 (see DownloadFileResult). A limit of 0 means 300 s.
[[nodiscard]] int DownloadFile(const std::wstring& url, const std::wstring& path, int* transferError,
                               IDownloadCallback* callback, long timeLimitSeconds);

}  // namespace tw
