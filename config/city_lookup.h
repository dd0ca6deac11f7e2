// The city lookup: which city this machine is in, asked of the vendor's
// lookup service with a small scrambled binary request. The city leaf of
// the conditions uses it to keep installs out of listed cities.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tw {

constexpr const char* kCityLookupKey = "QmTzRvKdWpXaLcNs";

// 28 bytes: length, CRC-32 of bytes 6..27, then (scrambled) 0, the first 16
// bytes of the identifier, 0.
std::string BuildCityRequest(std::string_view identifierUtf8);

// The answer's text; nothing when it is short, its CRC does not match, or
// it starts with "1#" or "2#" (the service's failures).
std::optional<std::string> ParseCityAnswer(std::string_view answer);

// Asks each endpoint ("host:port") in order; the first non-empty answer
// decides. Windows only.
std::optional<std::wstring> CityLookup();

}  // namespace tw
