// The proxy the user configured for the suite (or the system's Internet
// Explorer proxy when that configuration says so), applied to a request.
// Read afresh from the registry for every request that honours it.
#pragma once

typedef void CURL;

namespace tw {

// 0 when nothing had to be set or everything was set; else the libcurl code
// of the first option that could not be set. A null handle returns 0.
int ApplyProxySettings(CURL* handle);

}  // namespace tw
