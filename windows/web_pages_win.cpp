#include "windows/web_pages_win.h"

#include "platform/win/com_win.h"
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

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
  win::ComApartment com;  // the shell wants COM; set up where it is needed, not before the first page
  auto opened = [](HINSTANCE result) { return reinterpret_cast<INT_PTR>(result) > 32; };
  if (opened(::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL))) return true;
  if (opened(::ShellExecuteW(nullptr, L"open", L"IEXPLORE.EXE", address.c_str(), nullptr, SW_SHOWNORMAL))) return true;
  wchar_t program_files[MAX_PATH] = {};
  if (::SHGetSpecialFolderPathW(nullptr, program_files, CSIDL_PROGRAM_FILES, FALSE) &&
      StartWithShellToken(std::wstring(program_files) + L"\\Internet Explorer\\iexplore.exe", address, 0,
                          SW_SHOWNORMAL)) {
    return true;
  }
  LogWrite("OpenWebPage: no browser opened %ls", address.c_str());
  return false;
}

}  // namespace tw
