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

// Opens the address in the user's browser, as the signed-in user and never
// with the installer's elevated rights (install/process_starters_win.h),
// not waited for. False, logged, when no unelevated way worked: then
// nothing is opened.
[[nodiscard]] bool OpenWebPage(const std::wstring& address);

}  // namespace tw
