#include "tests/net/net_test_support.h"

#include <windows.h>

#include <curl/curl.h>

#include "net/tw_md5.h"
#include "telemetry/ux_json.h"

namespace tw::test {
namespace {

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out += static_cast<char>(*text);
  return out;
}

size_t Append(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// Fetches a control document of the peer directly, whatever proxy the test
// under way has put in the registry, and parses it.
bool FetchJson(const std::string& url, cf::UxJson::Document& document) {
  std::string body;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return false;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  const CURLcode code = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return code == CURLE_OK && document.Parse(Widen(body));
}

std::string Field(cf::UxJson::Value* item, const wchar_t* name) {
  return Narrow(cf::UxJson::Handle(nullptr, item).Member(name).GetString());
}

}  // namespace

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string Pattern(size_t start, size_t end) {
  std::string bytes;
  bytes.reserve(end - start);
  for (size_t i = start; i < end; ++i) bytes += static_cast<char>(((i * 31) + (i >> 11)) & 0xFF);
  return bytes;
}

std::string PatternMd5(size_t size) {
  const std::string bytes = Pattern(0, size);
  uint8_t digest[kMd5Size];
  Md5Buffer(bytes.data(), bytes.size(), digest);
  return Md5Hex(digest, true);
}

std::string UniqueToken() {
  static LONG counter = 0;
  return "t" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
         std::to_string(::InterlockedIncrement(&counter));
}

std::vector<SeenRequest> PeerRequests(const std::string& pathPrefix) {
  std::vector<SeenRequest> seen;
  cf::UxJson::Document document;
  if (!FetchJson(std::string(kFilePeer) + "/_peer/requests?prefix=" + pathPrefix, document)) return seen;
  auto* list = dynamic_cast<cf::UxJson::ValueArray*>(document.Root());
  for (size_t i = 0; list != nullptr && i < list->Size(); ++i) {
    cf::UxJson::Value* item = list->At(i);
    seen.push_back(SeenRequest{Field(item, L"method"), Field(item, L"path"), Field(item, L"target"),
                               Field(item, L"range"), Field(item, L"user-agent"), Field(item, L"accept"),
                               Field(item, L"content-type")});
  }
  return seen;
}

std::vector<ProxiedRequest> Proxied(const char* kind) {
  std::vector<ProxiedRequest> seen;
  cf::UxJson::Document document;
  if (!FetchJson(std::string(kFilePeer) + "/_peer/proxied?kind=" + kind, document)) return seen;
  auto* list = dynamic_cast<cf::UxJson::ValueArray*>(document.Root());
  for (size_t i = 0; list != nullptr && i < list->Size(); ++i) {
    seen.push_back(ProxiedRequest{Field(list->At(i), L"target"), Field(list->At(i), L"auth")});
  }
  return seen;
}

}  // namespace tw::test
