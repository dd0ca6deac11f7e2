#include "tests/telemetry/telemetry_peer_client.h"

#include <curl/curl.h>

#include "telemetry/ux_json.h"

namespace tw::test {
namespace {

size_t Append(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

std::string TelemetryControl(const std::string& path) {
  std::string body;
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, ("http://127.0.0.1:18096" + path).c_str());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  return body;
}

void ResetTelemetryPeer() { TelemetryControl("/_peer/reset"); }

std::wstring PeerRecords() {
  const std::string json = TelemetryControl("/_peer/records");
  cf::UxJson::Document document;
  if (!document.Parse(std::wstring(json.begin(), json.end()))) return L"";
  return document.ToString(false, 0);
}

size_t CountOf(const std::wstring& text, const std::wstring& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace tw::test
