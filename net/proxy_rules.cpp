#include "net/proxy_rules.h"

#include "platform/text.h"

namespace tw {

ProxyEndpoint ParseInternetExplorerProxy(std::wstring_view proxyServer) {
  ProxyEndpoint endpoint;
  if (proxyServer.empty()) return endpoint;
  std::wstring text;
  for (wchar_t c : proxyServer) text.push_back(AsciiToLower(c));

  std::wstring_view entry = text;
  endpoint.mode = kProxyHttp;
  if (const size_t socks = text.find(L"socks="); socks != std::wstring::npos) {
    endpoint.mode = kProxySocks5;
    entry = entry.substr(socks + 6);
  } else if (const size_t http = text.find(L"http="); http != std::wstring::npos) {
    entry = entry.substr(http + 5);
  }

  const size_t colon = entry.find(L':');
  endpoint.host = std::wstring(entry.substr(0, colon));
  if (colon != std::wstring_view::npos) {
    uint32_t port = 0;
    for (size_t i = colon + 1; i < entry.size() && entry[i] >= L'0' && entry[i] <= L'9'; ++i) {
      port = port * 10 + static_cast<uint32_t>(entry[i] - L'0');
      if (port > 65535) break;
    }
    endpoint.port = port;
  }
  if (endpoint.port == 0 || endpoint.port > 65535) endpoint.port = 80;
  return endpoint;
}

}  // namespace tw
