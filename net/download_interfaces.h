// The two interfaces a download talks through: the file it writes into and
// the window that shows its progress. Both are called on the transfer
// thread; neither may block it for long.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
using HRESULT = int32_t;
#endif

namespace tw {

// Progress of one transfer. A non-zero answer cancels it (libcurl then ends
// the transfer with CURLE_ABORTED_BY_CALLBACK, 42).
class IDownloadCallback {
 public:
  virtual int32_t OnDownloadProgress(uint32_t totalLength, double fraction, int32_t reserved) = 0;
  // Each download (another package, a retry, the resumable fallback) starts
  // its progress afresh: a fraction below the last transfer's is news.
  virtual void OnTransferStart() {}

 protected:
  ~IDownloadCallback() = default;
};

// Where a download's bytes go.
class ITwVipWebFile {
 public:
  virtual HRESULT Open() = 0;                                    // create the target, empty
  virtual HRESULT Seek(int32_t offset) = 0;                      // write position from the start
  virtual HRESULT Write(const void* data, uint32_t length) = 0;  // negative on failure
  virtual HRESULT Close() = 0;                                   // cut at the write position and close
  virtual int32_t Progress(double fraction) = 0;                 // non-zero cancels

 protected:
  ~ITwVipWebFile() = default;
};

}  // namespace tw
