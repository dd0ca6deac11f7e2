#include "config/city_lookup.h"

#include <windows.h>

#include "deploy_config.h"
#include "net/http_transfer.h"
#include "platform/win/ansi_text_win.h"
#include "telemetry/machine_identity.h"

namespace tw {
namespace {

// Each endpoint gets this long; the lookup only decides a condition, it
// must not hold the installation for the 5000 s the service once allowed.
constexpr long kLookupLimitSeconds = 20;

}  // namespace

std::optional<std::wstring> CityLookup() {
  const std::string request = BuildCityRequest(win::WideToUtf8(GetLookupIdex(true)));
  std::wstring endpoints = deploy::kCITY_ENDPOINTS;
  size_t start = 0;
  while (start <= endpoints.size()) {
    size_t end = endpoints.find(L',', start);
    if (end == std::wstring::npos) end = endpoints.size();
    const std::wstring endpoint = endpoints.substr(start, end - start);
    start = end + 1;
    if (endpoint.empty()) continue;
    std::string answer;
    (void)HttpPostBinary(L"http://" + endpoint + L"/cityinfo", request.data(), static_cast<long>(request.size()),
                         kLookupLimitSeconds, kLookupLimitSeconds, answer);
    if (answer.empty()) continue;  // the first non-empty answer decides, whatever its status
    const std::optional<std::string> text = ParseCityAnswer(answer);
    if (!text) return std::nullopt;
    return win::Utf8ToWide(*text);
  }
  return std::nullopt;
}

}  // namespace tw
