// How the Internet Explorer proxy text ("ProxyServer") becomes a proxy:
// a "socks=" entry wins and means SOCKS5; else an "http=" entry or the whole
// text, HTTP. Apart from the registry so every form can be checked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

enum ProxyMode : uint32_t {
  kProxyNone = 0,
  kProxyInternetExplorer = 1,
  kProxyHttp = 2,
  kProxySocks5 = 3,
  kProxyLibcurlDefault = 4,
};

struct ProxyEndpoint {
  uint32_t mode = kProxyNone;  // kProxyHttp or kProxySocks5 when host is set
  std::wstring host;
  uint32_t port = 80;
};

ProxyEndpoint ParseInternetExplorerProxy(std::wstring_view proxyServer);

}  // namespace tw
