// The one file download the installer uses for everything it fetches to
// disk (packages, the union configuration, the self-update program). The
// file is written under the name given; when the transfer fails it is
// deleted, or, for a package's partial file, kept for a later run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "net/download_interfaces.h"
#include "net/download_results.h"
#include "net/partial_download.h"
#include "platform/win/unique_handle_win.h"

namespace tw {

// What becomes of the bytes of a download that ends early.
enum class PartialBytes {
  kDelete,  // the file is deleted
  kKeep,    // kept with their record for a later run to continue (net/partial_file_win.h)
};

// What a download took and from where.
struct DownloadOutcome {
  int64_t continued = 0;    // bytes an earlier run had fetched
  int64_t fetched = 0;      // bytes this run fetched
  std::string contentType;  // the answer's Content-Type
  int64_t announced = 0;    // the length the HEAD announced (0: unknown)
};

// The file sink behind a download.
class CDownloadFile final : public ITwVipWebFile {
 public:
  CDownloadFile(std::wstring path, IDownloadCallback* callback, PartialBytes partial = PartialBytes::kDelete)
      : m_path(std::move(path)), m_callback(callback), m_partial(partial) {}
  ~CDownloadFile() { Close(); }
  CDownloadFile(const CDownloadFile&) = delete;
  CDownloadFile& operator=(const CDownloadFile&) = delete;

  // Kept bytes: opens once, continuing what the record describes; asked
  // again while open, keeps what it has.
  HRESULT Open() override;
  HRESULT Seek(int32_t offset) override;
  HRESULT Write(const void* data, uint32_t length) override;
  HRESULT Close() override;
  int32_t Progress(double fraction) override;

  // Content-Length, ETag, Last-Modified and type of `url` by a HEAD
  // request: 0, or E_FAIL when the length is unknown.
  [[nodiscard]] HRESULT QueryLength(const char* url, long limitSeconds = 120);
  int64_t TotalLength() const { return m_served.length; }
  const ServedFile& Served() const { return m_served; }
  // Where the transfer continues: the bytes kept from an earlier run.
  int64_t ContinuedFrom() const { return m_continued_from; }
  // Empties the file (the server sent the whole file instead of the rest).
  void Restart();

 private:
  ServedFile m_served;
  int64_t m_continued_from = 0;
  std::wstring m_path;
  IDownloadCallback* m_callback;
  PartialBytes m_partial;
  win::UniqueFile m_file;
};

// A limit of 0 means
// 300 s. With PartialBytes::kKeep, `path` is a partial file: continued when
// an earlier run left bytes of the same file, kept when the transfer ends
// early, checked against the volume's free space first, and never kept
// when the answer is a web page instead of the file. `outcome` may be null.
[[nodiscard]] DownloadFileResult DownloadFile(const std::wstring& url, const std::wstring& path, int* transferError,
                                              IDownloadCallback* callback, long timeLimitSeconds,
                                              PartialBytes partial = PartialBytes::kDelete,
                                              DownloadOutcome* outcome = nullptr);

}  // namespace tw
