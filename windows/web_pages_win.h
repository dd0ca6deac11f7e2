// The pages the installer opens in a browser: the licence agreement and the
// privacy statement on the vendor's web host, and the customer-service link.
#pragma once

#include <string>

namespace tw {

std::wstring LicencePageUrl();
std::wstring PrivacyPageUrl();
// "VipMarketQQLink" of section "FeedBack" in "data\operation_contact.dat"
// beside the installer, else the built-in chat link.
std::wstring CustomerServiceLink(const std::wstring& installer_directory);

// The shell's "open" on the address; when that fails, "open" on IEXPLORE.EXE
// with it; when that fails too, Internet Explorer from Program Files started
// with the shell's token, not waited for. False when every way failed.
[[nodiscard]] bool OpenWebPage(const std::wstring& address);

}  // namespace tw
