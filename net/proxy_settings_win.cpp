#include <windows.h>

#include <curl/curl.h>

#include "net/proxy_rules.h"
#include "net/proxy_settings.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/registry_win.h"

namespace tw {
namespace {

constexpr wchar_t kSuiteProxyKey[] = L"Software\\Tarnwick\\TwVip\\0";
constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr DWORD kMaxProxyText = 259;

std::wstring ProxyText(HKEY key, const wchar_t* name) {
  return win::ReadRegStringStrict(key, name, kMaxProxyText).value_or(std::wstring());
}

ProxyEndpoint InternetExplorerProxy() {
  const win::UniqueRegKey key = win::OpenRegKey(HKEY_CURRENT_USER, kInternetSettingsKey, KEY_QUERY_VALUE,
                                                win::RegistryView::kDefault);
  if (!key || win::ReadRegDword(key.Get(), L"ProxyEnable").value_or(0) == 0) return {};
  return ParseInternetExplorerProxy(ProxyText(key.Get(), L"ProxyServer"));
}

}  // namespace

int ApplyProxySettings(CURL* handle) {
  if (handle == nullptr) return CURLE_OK;
  const win::UniqueRegKey suite =
      win::OpenRegKey(HKEY_CURRENT_USER, kSuiteProxyKey, KEY_QUERY_VALUE, win::RegistryView::kDefault);
  if (!suite) return CURLE_OK;
  const DWORD mode = win::ReadRegDword(suite.Get(), L"Proxy Mode").value_or(kProxyNone);

  ProxyEndpoint proxy;
  if (mode == kProxyInternetExplorer) {
    proxy = InternetExplorerProxy();
  } else if (mode == kProxyHttp || mode == kProxySocks5 || mode == kProxyLibcurlDefault) {
    proxy.mode = mode;
    proxy.port = win::ReadRegDword(suite.Get(), L"Proxy Port").value_or(80);
    proxy.host = ProxyText(suite.Get(), L"Proxy Host");
  } else {
    return CURLE_OK;
  }
  if (proxy.host.empty()) return CURLE_OK;

  CURLcode code = CURLE_OK;
  if (proxy.mode == kProxyHttp) code = curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
  if (proxy.mode == kProxySocks5) code = curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5));
  if (code != CURLE_OK) return code;
  if ((code = curl_easy_setopt(handle, CURLOPT_PROXYPORT, static_cast<long>(proxy.port))) != CURLE_OK) return code;
  const std::string host = win::WideToAnsi(proxy.host);
  if ((code = curl_easy_setopt(handle, CURLOPT_PROXY, host.c_str())) != CURLE_OK) return code;

  if (win::ReadRegDword(suite.Get(), L"Proxy Authorization").value_or(0) != 0) {
    if ((code = curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC))) != CURLE_OK) return code;
    const std::string credentials =
        win::WideToAnsi(ProxyText(suite.Get(), L"Proxy User") + L":" + ProxyText(suite.Get(), L"Proxy Password"));
    if ((code = curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, credentials.c_str())) != CURLE_OK) return code;
  }
  return CURLE_OK;
}

}  // namespace tw
