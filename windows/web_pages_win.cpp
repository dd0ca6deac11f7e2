#include "windows/web_pages_win.h"

#include <windows.h>

#include "install/process_starters_win.h"
#include "platform/log.h"
#include "deploy_config.h"
#include "windows/main_window_rules.h"

namespace tw {

std::wstring LicencePageUrl() {
  return std::wstring(L"https://") + deploy::kWEB_PAGES_HOST + L"/privacy/zorn-enduserlicenseandsevice-agreement.html";
}

std::wstring PrivacyPageUrl() {
  return std::wstring(L"https://") + deploy::kWEB_PAGES_HOST + L"/privacy/zornPrivacy.html";
}

std::wstring CustomerServiceLink(const std::wstring& installer_directory) {
  const std::wstring fallback = std::wstring(L"https://") + deploy::kWEB_CHAT_HOST + L"/FDdK6y0s?_type=wpa&qidian=true";
  std::wstring file = installer_directory;
  if (!file.empty() && file.back() != L'\\') file += L'\\';
  file += L"data\\operation_contact.dat";
  wchar_t link[2048] = {};
  ::GetPrivateProfileStringW(L"FeedBack", L"VipMarketQQLink", fallback.c_str(), link, 2048, file.c_str());
  return IsWebLink(link) ? std::wstring(link) : fallback;
}

bool OpenWebPage(const std::wstring& address) {
  // The installer runs elevated; the browser the user registered for https
  // is theirs to choose, so it runs with their own rights or not at all.
  // The system's URL opener, started as the user, finds and starts it.
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  std::wstring trace;
  if (length > 0 && length < MAX_PATH &&
      StartUnelevated(std::wstring(system) + L"\\rundll32.exe", L"url.dll,FileProtocolHandler " + address, &trace)) {
    return true;
  }
  LogWrite("OpenWebPage: no way to open %ls as the user (%ls); nothing opened", address.c_str(), trace.c_str());
  return false;
}

}  // namespace tw
