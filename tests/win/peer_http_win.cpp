#include "tests/win/peer_http_win.h"

#include <curl/curl.h>

#include "net/curl_support.h"

namespace tw::test {
namespace {

size_t Append(char* data, size_t size, size_t count, void* body) {
  if (body != nullptr) static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

UniqueCurl Request(const std::string& url, std::string* body) {
  UniqueCurl curl(curl_easy_init());
  if (!curl) return curl;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 30L);
  (void)tw::SetCurlCallback<CURLOPT_WRITEFUNCTION>(curl.get(), &Append);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, body);
  return curl;
}

}  // namespace

bool DirectGet(const std::string& url, std::string& body) {
  const UniqueCurl curl = Request(url, &body);
  return curl && curl_easy_perform(curl.get()) == CURLE_OK;
}

bool DirectPost(const std::string& url, const std::string& body, std::string* answer) {
  const UniqueCurl curl = Request(url, answer);
  if (!curl) return false;
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  return curl_easy_perform(curl.get()) == CURLE_OK;
}

}  // namespace tw::test
