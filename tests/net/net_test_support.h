// The network tests' side of the loopback peers (peers/net_peer.py): where
// they listen, the bytes they serve, and what they saw.
#pragma once

#include <string>
#include <vector>

namespace tw::test {

constexpr const char* kFilePeer = "http://127.0.0.1:18090";
constexpr const char* kHttpProxyHost = "127.0.0.1";
constexpr unsigned kHttpProxyPort = 18091;
constexpr unsigned kSocksProxyPort = 18092;
constexpr const char* kClosedPort = "http://127.0.0.1:1";  // nothing listens there

// Bytes [start, end) of every file the peer serves: byte i is (i*31 + (i >> 11)) & 0xFF.
std::string Pattern(size_t start, size_t end);
std::string PatternMd5(size_t size);  // upper-case hexadecimal

// A path prefix no other test uses, so each test reads only its own requests.
std::string UniqueToken();

struct SeenRequest {
  std::string method, path, target, range, userAgent, accept, contentType, ifRange;
};
std::vector<SeenRequest> PeerRequests(const std::string& pathPrefix);
// The version of the files the peer's drop scenario serves (their ETag).
void SetFilePeerVersion(const std::string& version);

struct ProxiedRequest {
  std::string target, auth;
};
std::vector<ProxiedRequest> Proxied(const char* kind);  // "http" or "socks"

std::wstring Widen(const std::string& ascii);

}  // namespace tw::test
