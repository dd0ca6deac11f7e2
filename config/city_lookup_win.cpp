#include "config/city_lookup.h"

#include <windows.h>

#include "deploy_config.h"
#include "net/http_transfer.h"
#include "telemetry/machine_identity.h"

namespace tw {
namespace {

// Each endpoint gets this long; the lookup only decides a condition, it
// must not hold the installation for the 5000 s the service once allowed.
constexpr long kLookupLimitSeconds = 20;

std::string Utf8(const std::wstring& text) {
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return {};
  std::string out(static_cast<size_t>(bytes - 1), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int units = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(units > 0 ? units : 0), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), units);
  return out;
}

}  // namespace

std::optional<std::wstring> CityLookup() {
  const std::string request = BuildCityRequest(Utf8(GetLookupIdex(true)));
  std::wstring endpoints = deploy::kCITY_ENDPOINTS;
  size_t start = 0;
  while (start <= endpoints.size()) {
    size_t end = endpoints.find(L',', start);
    if (end == std::wstring::npos) end = endpoints.size();
    const std::wstring endpoint = endpoints.substr(start, end - start);
    start = end + 1;
    if (endpoint.empty()) continue;
    std::string answer;
    HttpPostBinary(L"http://" + endpoint + L"/cityinfo", request.data(), static_cast<long>(request.size()),
                   kLookupLimitSeconds, kLookupLimitSeconds, answer);
    if (answer.empty()) continue;  // the first non-empty answer decides, whatever its status
    const std::optional<std::string> text = ParseCityAnswer(answer);
    if (!text) return std::nullopt;
    return FromUtf8(*text);
  }
  return std::nullopt;
}

}  // namespace tw
