#include <gtest/gtest.h>
#include <io.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/connectivity.h"
#include "platform/file_open.h"

namespace tw {
namespace {

// Captures what PingHost writes to a standard C stream: the stream's file
// descriptor points at a temporary file until the capture ends.
class StreamCapture {
 public:
  explicit StreamCapture(FILE* stream) : m_stream(stream), m_file(std::tmpfile()) {
    std::fflush(m_stream);
    m_saved = ::_dup(::_fileno(m_stream));
    if (m_file) ::_dup2(::_fileno(m_file.get()), ::_fileno(m_stream));
  }
  ~StreamCapture() {
    std::fflush(m_stream);
    ::_dup2(m_saved, ::_fileno(m_stream));
    ::_close(m_saved);
  }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

  std::string Text() const {
    std::fflush(m_stream);
    std::string text;
    if (!m_file) return text;
    std::rewind(m_file.get());
    char buffer[512];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, m_file.get())) > 0;) text.append(buffer, read);
    return text;
  }

 private:
  FILE* m_stream;
  UniqueStdioFile m_file;
  int m_saved = -1;
};

TEST(PingHost, WrongArgumentsPrintTheUsage) {
  StreamCapture out(stdout);
  const char* const onlyProgram[] = {"Ping.exe"};
  EXPECT_EQ(PingHost(1, onlyProgram), 0);
  EXPECT_EQ(out.Text().rfind("Usage: ping r n b t\n  r - Remote host\n  n - Number of echo requests to send\n"
                             "  b - Bytes to send\n  t - Timeout after these many milliseconds\n\rping ",
                             0),
            0u)
      << out.Text();
  EXPECT_NE(out.Text().find(" 4 32 4000\n"), std::string::npos);
  const char* const tooMany[] = {"Ping.exe", "127.0.0.1", "9"};
  EXPECT_EQ(PingHost(3, tooMany), 0) << "the count must be 2 to 5";
}

TEST(PingHost, AnUnresolvableHostIsASocketsFailure) {
  StreamCapture err(stderr);
  const char* const arguments[] = {"Ping.exe", "no-such-host.invalid"};
  EXPECT_EQ(PingHost(2, arguments), -1);
  EXPECT_EQ(err.Text().rfind("An error occured in gethostbyname operation: WSAGetLastError () = ", 0), 0u);
}

// Whether this machine answers ICMP at all, asked without PingHost: Wine
// needs raw or ping sockets (root, cap_net_raw or ping_group_range).
bool LoopbackAnswersEcho() {
  HANDLE icmp = ::IcmpCreateFile();
  if (icmp == INVALID_HANDLE_VALUE) return false;
  char payload[8] = "probe";
  char reply[sizeof(ICMP_ECHO_REPLY) + sizeof payload + 8] = {};
  const DWORD replies =
      ::IcmpSendEcho(icmp, ::inet_addr("127.0.0.1"), payload, sizeof payload, nullptr, reply, sizeof reply, 1000);
  ::IcmpCloseHandle(icmp);
  return replies > 0;
}

TEST(PingHost, LoopbackAnswersEveryEchoAsked) {
  if (!LoopbackAnswersEcho()) GTEST_SKIP() << "ICMP is not available to Wine on this machine";
  for (const char* count : {"2", "5"}) {
    const char* const arguments[] = {"Ping.exe", "127.0.0.1", count};
    EXPECT_EQ(PingHost(3, arguments), std::atoi(count)) << count;
  }
  EXPECT_TRUE(IsInternetReachable()) << "the probe host of this deployment is loopback";
}

}  // namespace
}  // namespace tw
