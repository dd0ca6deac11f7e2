// libcurl plumbing shared by the request recipes: owned handles and header
// lists, the three header sets, and the memory sink.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <type_traits>
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

// Collects a response body chunk by chunk and joins it once at the end. A
// body that would pass kMaxBodyBytes ends the transfer (libcurl's write
// error, 23): nothing the installer holds in memory is that large, and a
// server that never stops sending must not exhaust the memory.
class MemorySink {
 public:
  static constexpr size_t kMaxBodyBytes = 16u * 1024 * 1024;
  static size_t Write(char* data, size_t size, size_t count, void* self);
  std::string Join() const;
  size_t Size() const { return m_size; }

 private:
  std::vector<std::string> m_chunks;
  size_t m_size = 0;
};

// libcurl takes a callback through varargs, so nothing checks its type, and
// on 32-bit Windows a function of another calling convention (a WINAPI one)
// would corrupt the stack. Callbacks are set only through the type libcurl
// calls them with.
template <CURLoption kOption>
struct CurlCallbackType;
template <>
struct CurlCallbackType<CURLOPT_WRITEFUNCTION> {
  using Type = curl_write_callback;
};
template <>
struct CurlCallbackType<CURLOPT_XFERINFOFUNCTION> {
  using Type = curl_xferinfo_callback;
};
template <>
struct CurlCallbackType<CURLOPT_PREREQFUNCTION> {
  using Type = curl_prereq_callback;
};

template <CURLoption kOption>
[[nodiscard]] CURLcode SetCurlCallback(CURL* handle, typename CurlCallbackType<kOption>::Type callback) {
  return curl_easy_setopt(handle, kOption, callback);
}

// Runs `setopt` calls until one fails; returns the first failure or CURLE_OK.
class OptionSetter {
 public:
  explicit OptionSetter(CURL* handle) : m_handle(handle) {}
  template <typename Value>
  OptionSetter& Set(CURLoption option, Value value) {
    static_assert(!std::is_function_v<std::remove_pointer_t<Value>>, "callbacks are set with SetCallback");
    if (m_code == CURLE_OK) m_code = curl_easy_setopt(m_handle, option, value);
    return *this;
  }
  template <CURLoption kOption>
  OptionSetter& SetCallback(typename CurlCallbackType<kOption>::Type callback) {
    if (m_code == CURLE_OK) m_code = SetCurlCallback<kOption>(m_handle, callback);
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
