#include "tests/net/net_test_support.h"

#include <windows.h>

#include "platform/tw_md5.h"
#include "platform/ux_json.h"
#include "tests/win/peer_http_win.h"

namespace tw::test {
namespace {

std::string Narrow(const wchar_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out += static_cast<char>(*text);
  return out;
}

// Fetches a control document of the peer and parses it.
bool FetchJson(const std::string& url, cf::UxJson::Document& document) {
  std::string body;
  return DirectGet(url, body) && document.Parse(Widen(body));
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
                               Field(item, L"content-type"), Field(item, L"if-range")});
  }
  return seen;
}

void SetFilePeerVersion(const std::string& version) {
  std::string ignored;
  (void)DirectGet(std::string(kFilePeer) + "/_peer/version?value=" + version, ignored);
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
