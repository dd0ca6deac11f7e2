#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "platform/log.h"
#include "net/proxy_rules.h"
#include "net/proxy_settings.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/registry_win.h"

namespace tw {
namespace {

constexpr wchar_t kSuiteProxyKey[] = L"Software\\Tarnwick\\TwVip\\0";
constexpr wchar_t kInternetSettingsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr DWORD kMaxProxyText = 259;

struct ProxySettings {
  ProxyEndpoint endpoint;  // mode kProxyLibcurlDefault keeps libcurl's own proxy type
  bool authorize = false;
  std::wstring user, password;

  std::string Name() const {
    return std::to_string(endpoint.mode) + ":" + win::WideToAnsi(endpoint.host) + ":" + std::to_string(endpoint.port);
  }
};

std::wstring ProxyText(HKEY key, const wchar_t* name) {
  return win::ReadRegStringStrict(key, name, kMaxProxyText).value_or(std::wstring());
}

ProxyEndpoint InternetExplorerProxy() {
  const win::UniqueRegKey key =
      win::OpenRegKey(HKEY_CURRENT_USER, kInternetSettingsKey, KEY_QUERY_VALUE, win::RegistryView::kDefault);
  if (!key || win::ReadRegDword(key.Get(), L"ProxyEnable").value_or(0) == 0) return {};
  return ParseInternetExplorerProxy(ProxyText(key.Get(), L"ProxyServer"));
}

// Empty when no proxy applies.
std::optional<ProxySettings> ReadProxySettings() {
  const win::UniqueRegKey suite =
      win::OpenRegKey(HKEY_CURRENT_USER, kSuiteProxyKey, KEY_QUERY_VALUE, win::RegistryView::kDefault);
  if (!suite) return std::nullopt;
  const DWORD mode = win::ReadRegDword(suite.Get(), L"Proxy Mode").value_or(kProxyNone);
  ProxySettings settings;
  if (mode == kProxyInternetExplorer) {
    settings.endpoint = InternetExplorerProxy();
  } else if (mode == kProxyHttp || mode == kProxySocks5 || mode == kProxyLibcurlDefault) {
    settings.endpoint.mode = mode;
    settings.endpoint.port = win::ReadRegDword(suite.Get(), L"Proxy Port").value_or(80);
    settings.endpoint.host = ProxyText(suite.Get(), L"Proxy Host");
  } else {
    return std::nullopt;
  }
  if (settings.endpoint.host.empty()) return std::nullopt;
  settings.authorize = win::ReadRegDword(suite.Get(), L"Proxy Authorization").value_or(0) != 0;
  if (settings.authorize) {
    settings.user = ProxyText(suite.Get(), L"Proxy User");
    settings.password = ProxyText(suite.Get(), L"Proxy Password");
  }
  return settings;
}

// Marks, on a handle, that a proxy was set on it (its private pointer).
char g_proxiedMarker;

bool ProxyApplied(CURL* handle) {
  char* marker = nullptr;
  return curl_easy_getinfo(handle, CURLINFO_PRIVATE, &marker) == CURLE_OK && marker == &g_proxiedMarker;
}

// The proxy found unreachable in this run, by name; empty while none was.
std::mutex g_unreachableLock;
std::string g_unreachable;

bool KnownUnreachable(const ProxySettings& settings) {
  std::lock_guard<std::mutex> guard(g_unreachableLock);
  return !g_unreachable.empty() && g_unreachable == settings.Name();
}

void RememberUnreachable(const ProxySettings& settings) {
  std::lock_guard<std::mutex> guard(g_unreachableLock);
  g_unreachable = settings.Name();
}

// Only failures that happen before anything was exchanged with the proxy:
// a retry then cannot repeat a request the server already saw. A time-out
// counts only when no connection was made and nothing was sent or
// received: a handle that reuses its connection (each slice of the
// resumable downloader after the HEAD) reports no connect time at all, and
// a slice that timed out after bytes came through the proxy reached it.
bool ProxyNeverReached(CURL* handle, CURLcode code) {
  if (code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_COULDNT_CONNECT) return true;
  if (code != CURLE_OPERATION_TIMEDOUT) return false;
  curl_off_t connected = 0, received = 0;
  long requestBytes = 0, headerBytes = 0;
  return curl_easy_getinfo(handle, CURLINFO_CONNECT_TIME_T, &connected) == CURLE_OK && connected == 0 &&
         curl_easy_getinfo(handle, CURLINFO_REQUEST_SIZE, &requestBytes) == CURLE_OK && requestBytes == 0 &&
         curl_easy_getinfo(handle, CURLINFO_HEADER_SIZE, &headerBytes) == CURLE_OK && headerBytes == 0 &&
         curl_easy_getinfo(handle, CURLINFO_SIZE_DOWNLOAD_T, &received) == CURLE_OK && received == 0;
}

}  // namespace

int ApplyProxySettings(CURL* handle) {
  if (handle == nullptr) return CURLE_OK;
  // A reused handle must not keep the mark of an earlier request.
  if (const CURLcode code = curl_easy_setopt(handle, CURLOPT_PRIVATE, nullptr); code != CURLE_OK) return code;
  const std::optional<ProxySettings> settings = ReadProxySettings();
  if (!settings || KnownUnreachable(*settings)) return CURLE_OK;

  const ProxyEndpoint& proxy = settings->endpoint;
  CURLcode code = CURLE_OK;
  if (proxy.mode == kProxyHttp) code = curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
  // The proxy resolves the host name: where only the proxy reaches the
  // services, their names often do not resolve on the machine itself.
  if (proxy.mode == kProxySocks5) {
    code = curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5_HOSTNAME));
  }
  if (code != CURLE_OK) return code;
  if ((code = curl_easy_setopt(handle, CURLOPT_PROXYPORT, static_cast<long>(proxy.port))) != CURLE_OK) return code;
  const std::string host = win::WideToAnsi(proxy.host);
  if ((code = curl_easy_setopt(handle, CURLOPT_PROXY, host.c_str())) != CURLE_OK) return code;

  if (settings->authorize) {
    if ((code = curl_easy_setopt(handle, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC))) != CURLE_OK)
      return code;
    const std::string credentials = win::WideToAnsi(settings->user + L":" + settings->password);
    if ((code = curl_easy_setopt(handle, CURLOPT_PROXYUSERPWD, credentials.c_str())) != CURLE_OK) return code;
  }
  return curl_easy_setopt(handle, CURLOPT_PRIVATE, static_cast<void*>(&g_proxiedMarker));
}

CURLcode PerformWithDirectFallback(CURL* handle) {
  const CURLcode code = curl_easy_perform(handle);
  if (code == CURLE_OK || !ProxyApplied(handle) || !ProxyNeverReached(handle, code)) return code;
  const std::optional<ProxySettings> settings = ReadProxySettings();
  if (!settings) return code;
  RememberUnreachable(*settings);
  LogWrite("Proxy %s:%u unreachable (curl %d), direct connection", win::WideToAnsi(settings->endpoint.host).c_str(),
           settings->endpoint.port, static_cast<int>(code));
  // An empty proxy name turns every proxy off, the environment's included.
  if (curl_easy_setopt(handle, CURLOPT_PROXY, "") != CURLE_OK) return code;
  curl_easy_setopt(handle, CURLOPT_PRIVATE, nullptr);
  return curl_easy_perform(handle);
}

}  // namespace tw
