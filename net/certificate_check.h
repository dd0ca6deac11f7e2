// libcurl leaves the server's certificate to Schannel; Wine's Schannel takes
// any certificate at all, and what the installer fetches decides what an
// elevated program runs. So every https transfer checks the certificate
// itself, after the handshake and before the request is sent: the chain
// must end in a root Windows trusts, be meant for server authentication and
// name the host. On Windows this agrees with Schannel's own check.
#pragma once

#include <curl/curl.h>

namespace tw {

// Sets the check on a handle (its prerequest callback). Plain http passes;
// a refused certificate ends the transfer with CURLE_ABORTED_BY_CALLBACK
// and a log line.
[[nodiscard]] int RequireTrustedCertificate(CURL* handle);

}  // namespace tw
