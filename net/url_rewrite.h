// Addresses may be rewritten by the installed suite's domain-transfer
// module (for networks where the vendor's hosts are reached another way).
// Without the module, every address is used unchanged.
#pragma once

#include <string>

namespace tw {

// Loads the module on the first call (one attempt per process).
std::wstring RewriteUrl(const std::wstring& url);

}  // namespace tw
