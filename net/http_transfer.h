// Every request the installer makes: a fixed recipe of libcurl options,
// headers and time-outs per purpose. All block the calling thread, and all
// go through the user's proxy (falling back once to a direct connection
// when it cannot be reached).
// Results: the libcurl code, or the HTTP status when the transfer worked but
// the status was not 200 (0 means 200), unless said otherwise.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "net/download_interfaces.h"

namespace tw {

class CurlExecuter;

// Configuration documents. `query` (may be null) is appended after "?". The
// body is stored whenever the transfer worked, whatever the status; an empty
// body leaves `body` untouched.
[[nodiscard]] int HttpGetToString(const char* url, const char* query, std::string& body, long timeLimitSeconds);

// Form POST of metra packets (10-second limits, proxy, URL rewriting). The
// answer is stored only with status 200. Setting `cancel` (may be null)
// ends the post within about a second with CURLE_ABORTED_BY_CALLBACK.
[[nodiscard]] int HttpPostForm(const char* url, const void* body, long length, std::string& answer,
                               const std::atomic<bool>* cancel = nullptr);

// Binary POST; returns the HTTP status (0 when none was read). The answer
// is appended to `answer`. Proxy and URL rewriting.
[[nodiscard]] int HttpPostBinary(const std::wstring& url, const void* body, long length, long connectLimitSeconds,
                                 long totalLimitSeconds, std::string& answer);

// A file download that continues bytes an earlier transfer fetched:
// "Range" from `from`, and "If-Range" with the validator those bytes came
// with, so that a changed file is sent whole (libcurl then ends the
// transfer with its range error, 33). `contentType` (may be null) gets the
// answer's Content-Type.
struct SinkRange {
  int64_t from = 0;
  std::string ifRange;
  std::string* contentType = nullptr;
};

// Every file download: bytes into `sink`, which is opened before and closed
// (cut at its write position) after the transfer, also on failure.
[[nodiscard]] int HttpGetToSink(const char* url, ITwVipWebFile* sink, long timeLimitSeconds,
                                const SinkRange& range = SinkRange{});

// The recommendation file, written over `path` from offset 0; proxy. Setting
// `cancel` (may be null) ends the fetch within about a second.
[[nodiscard]] int HttpGetToFile(const std::wstring& url, const std::wstring& path, long timeLimitSeconds,
                                const std::atomic<bool>* cancel = nullptr);

// HEAD on the executer's handle (its limit, proxy); the header text of the answer.
[[nodiscard]] int HttpQueryHeaders(CurlExecuter& executer, std::string& headers);

}  // namespace tw
