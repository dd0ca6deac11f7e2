// What the network layer's two downloads end with, in the numbers its logs
// have always shown. The install road decides which code its step records
// carry for each (install/road_results.h); nothing here knows of those.
#pragma once

namespace tw {

// The one file download (net/download_file_win.h).
enum class DownloadFileResult {
  kOk = 0,
  kBadArguments = 51,  // no address or no file name
  kMissing = 53,       // the transfer said yes, the file says no
  kFailed = 250,       // transfer error: libcurl code or HTTP status in `transferError`
  kWebPage = 265,      // a sign-in portal's page, not the file
  kNoSpace = 266,      // the volume cannot hold the announced length
};

// The resumable downloader (net/curl_downloader_win.h).
enum class DownloaderResult {
  kComplete = 0,
  kNoHandle = 255,           // no transfer handle
  kInvalid = 256,            // nothing to download: no address, file or handle
  kHeadFailed = 257,         // the size was not learnt
  kCreateFailed = 258,       // the file was not created
  kAttemptsExhausted = 259,  // every slice tried
  kNoContentLength = 260,    // the answer gave no size
};

// The transfer error of a time-out (libcurl's CURLE_OPERATION_TIMEDOUT),
// for callers that do not include libcurl.
constexpr int kTransferTimedOut = 28;

}  // namespace tw
