// The proxy the user configured for the suite (or the system's Internet
// Explorer proxy when that configuration says so), applied to a request.
// Read afresh from the registry for every request that honours it.
#pragma once

#include <curl/curl.h>

namespace tw {

// 0 when nothing had to be set or everything was set; else the libcurl code
// of the first option that could not be set. A null handle returns 0. A
// proxy that could not be reached earlier in this run is left out: the
// request goes direct instead of waiting for it again.
[[nodiscard]] int ApplyProxySettings(CURL* handle);

// Runs the transfer on `handle` (its proxy already applied). When the
// configured proxy could not be reached — not resolved, refused, or no
// connection within the connect limit — nothing was exchanged, so the same
// request runs once more on a direct connection; the log says so, and the
// proxy is left out of the rest of this run's requests.
CURLcode PerformWithDirectFallback(CURL* handle);

}  // namespace tw
