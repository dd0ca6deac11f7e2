#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "deploy_config.h"
#include "net/connectivity.h"

namespace tw {
namespace {

constexpr DWORD kEchoTimeoutMs = 1000;
constexpr char kEchoPayload[12] = "Data Buffer";  // with its terminating NUL

// C stdio rather than iostreams: the streams' static start-up links every
// locale facet of the C++ library, a third of the executable.
void WriteUsage() {
  std::printf(
      "Usage: ping r n b t\n"
      "  r - Remote host\n"
      "  n - Number of echo requests to send\n"
      "  b - Bytes to send\n"
      "  t - Timeout after these many milliseconds\n"
      "\rping %s 4 32 4000\n",
      deploy::kPROBE_HOST_A);
}

// Sends `count` echoes; the number answered with IP_SUCCESS, 0 without ICMP.
int SendEchoes(const char* address, int count) {
  HANDLE icmp = ::IcmpCreateFile();
  if (icmp == INVALID_HANDLE_VALUE) return 0;
  const unsigned long destination = ::inet_addr(address);
  if (destination == INADDR_NONE) {
    ::IcmpCloseHandle(icmp);
    return 0;
  }
  int answered = 0;
  for (int i = 0; i < count; ++i) {
    // Room for one reply with the payload and the ICMP error text, as the
    // function requires (a 40-byte buffer is rejected by some systems).
    char reply[sizeof(ICMP_ECHO_REPLY) + sizeof kEchoPayload + 8 + 40] = {};
    const DWORD replies = ::IcmpSendEcho(icmp, destination, const_cast<char*>(kEchoPayload), sizeof kEchoPayload,
                                         nullptr, reply, sizeof reply, kEchoTimeoutMs);
    if (replies > 0 && reinterpret_cast<const ICMP_ECHO_REPLY*>(reply)->Status == IP_SUCCESS) ++answered;
  }
  ::IcmpCloseHandle(icmp);
  return answered;
}

}  // namespace

int PingHost(int argc, const char* const* argv) {
  if (argc < 2 || argc > 5) {
    WriteUsage();
    return 0;
  }
  WSADATA data{};
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    std::fprintf(stderr, "An error occured in WSAStartup operation: WSAGetLastError () = %d\n", ::WSAGetLastError());
    return -1;
  }
  const int count = argc > 2 ? std::atoi(argv[2]) : 2;
  if (count < 2 || count > 5) {
    ::WSACleanup();
    WriteUsage();
    return 0;
  }
  const hostent* host = ::gethostbyname(argv[1]);
  if (host == nullptr || host->h_addr_list == nullptr || host->h_addr_list[0] == nullptr) {
    std::fprintf(stderr, "An error occured in gethostbyname operation: WSAGetLastError () = %d\n", ::WSAGetLastError());
    ::WSACleanup();
    return -1;
  }
  in_addr first{};
  std::memcpy(&first, host->h_addr_list[0], sizeof first);
  const int answered = SendEchoes(::inet_ntoa(first), count);
  if (::WSACleanup() != 0) {
    std::fprintf(stderr, "An error occured in WSACleanup operation: WSAGetLastError () = %d\n", ::WSAGetLastError());
    return -1;
  }
  return answered;
}

bool IsInternetReachable() {
  const char* const arguments[] = {"Ping.exe", deploy::kPROBE_HOST_A};
  const int answered = PingHost(2, arguments);
  return answered >= 1 && answered <= 4;
}

}  // namespace tw
