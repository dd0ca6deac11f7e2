// The installer's own exception in the Windows Firewall, so its downloads
// and the product installer's callbacks are not blocked while it runs. The
// caller ignores every failure: a firewall that refuses must not stop an
// installation.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

// Adds `imagePath` as "TwInstallTool" unless it is already present and enabled.
[[nodiscard]] HRESULT AddFirewallException(const std::wstring& imagePath);
// Removes `imagePath` when it is present and enabled.
[[nodiscard]] HRESULT RemoveFirewallException(const std::wstring& imagePath);

}  // namespace tw
