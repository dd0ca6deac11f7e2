// libcurl plumbing shared by the request recipes: owned handles and header
// lists, the three header sets, and the memory sink.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

namespace tw {

struct CurlEasyDeleter {
  void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
struct CurlSlistDeleter {
  void operator()(curl_slist* list) const noexcept { curl_slist_free_all(list); }
};
using UniqueCurl = std::unique_ptr<CURL, CurlEasyDeleter>;
using UniqueCurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

enum class HeaderSet { kOctetFull, kOctetShort, kForm };
UniqueCurlSlist MakeHeaders(HeaderSet set);

// Collects a response body chunk by chunk and joins it once at the end.
class MemorySink {
 public:
  static size_t Write(char* data, size_t size, size_t count, void* self);
  std::string Join() const;
  size_t Size() const { return m_size; }

 private:
  std::vector<std::string> m_chunks;
  size_t m_size = 0;
};

// Runs `setopt` calls until one fails; returns the first failure or CURLE_OK.
class OptionSetter {
 public:
  explicit OptionSetter(CURL* handle) : m_handle(handle) {}
  template <typename Value>
  OptionSetter& Set(CURLoption option, Value value) {
    if (m_code == CURLE_OK) m_code = curl_easy_setopt(m_handle, option, value);
    return *this;
  }
  template <typename Step>
  OptionSetter& Then(Step step) {
    if (m_code == CURLE_OK) m_code = static_cast<CURLcode>(step(m_handle));
    return *this;
  }
  CURLcode Code() const { return m_code; }

 private:
  CURL* m_handle;
  CURLcode m_code = CURLE_OK;
};

}  // namespace tw
