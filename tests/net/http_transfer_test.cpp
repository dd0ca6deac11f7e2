// The request recipes against a real HTTP peer on loopback: what they send,
// what they return, how they end when the server misbehaves.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>
#include <curl/curl.h>

#include "net/download_file_win.h"
#include "net/http_transfer.h"
#include "platform/win/file_system_win.h"
#include "tests/net/net_test_support.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

using test::kFilePeer;

std::string Url(const std::string& path) { return std::string(kFilePeer) + path; }

TEST(HttpGetToString, QueryHeadersAndBody) {
  const std::string token = test::UniqueToken();
  std::string body;
  EXPECT_EQ(HttpGetToString(Url("/file/300/" + token + "/cfg").c_str(), "time=5&x=1", body, 30), 0);
  EXPECT_EQ(body, test::Pattern(0, 300));
  EXPECT_EQ(HttpGetToString(Url("/file/10/" + token + "/plain").c_str(), nullptr, body, 30), 0);
  EXPECT_EQ(body, test::Pattern(0, 10));

  const auto seen = test::PeerRequests("/file/300/" + token + "/");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].target, "/file/300/" + token + "/cfg?time=5&x=1");
  EXPECT_EQ(seen[0].contentType, "application/octet-stream");
  EXPECT_EQ(seen[0].userAgent, "Mozilla/4.0");
  EXPECT_EQ(seen[0].accept, "*/*");
  EXPECT_EQ(test::PeerRequests("/file/10/" + token + "/")[0].target, "/file/10/" + token + "/plain");
}

TEST(HttpGetToString, StatusesAndEmptyBodies) {
  std::string body = "untouched";
  EXPECT_EQ(HttpGetToString(Url("/status/404/x").c_str(), nullptr, body, 30), 404);
  EXPECT_EQ(body, "error page 404") << "the error page is still stored";
  body = "untouched";
  EXPECT_EQ(HttpGetToString(Url("/empty/x").c_str(), nullptr, body, 30), 0);
  EXPECT_EQ(body, "untouched") << "an empty body leaves the string alone";
  EXPECT_EQ(HttpGetToString(Url("/redirect/20/" + test::UniqueToken() + "/r").c_str(), nullptr, body, 30), 0);
  EXPECT_EQ(body, test::Pattern(0, 20)) << "redirects are followed";
}

TEST(HttpGetToString, HostileAndSilentServers) {
  std::string body = "untouched";
  EXPECT_EQ(HttpGetToString(std::string(test::kClosedPort).c_str(), nullptr, body, 30), CURLE_COULDNT_CONNECT);
  EXPECT_EQ(HttpGetToString(Url("/silent/30/x").c_str(), nullptr, body, 2), CURLE_OPERATION_TIMEDOUT);
  EXPECT_EQ(HttpGetToString(Url("/loop/x").c_str(), nullptr, body, 60), CURLE_TOO_MANY_REDIRECTS);
  const int garbage = HttpGetToString(Url("/garbage/x").c_str(), nullptr, body, 30);
  EXPECT_NE(garbage, 0);
  EXPECT_LT(garbage, 100) << "a libcurl code, not a status";
  EXPECT_EQ(HttpGetToString(Url("/short/100/5000/x").c_str(), nullptr, body, 30), CURLE_PARTIAL_FILE);
  EXPECT_EQ(HttpGetToString("", nullptr, body, 5), CURLE_URL_MALFORMAT);
  EXPECT_EQ(body, "untouched");
}

// A server that never stops sending cannot make a body the installer holds
// in memory (a configuration, an INI, an acknowledgement) grow without end.
TEST(HttpGetToString, ABodyHeldInMemoryIsBounded) {
  std::string body;
  EXPECT_EQ(HttpGetToString(Url("/file/40000000/" + test::UniqueToken() + "/big").c_str(), nullptr, body, 120),
            CURLE_WRITE_ERROR);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(HttpGetToString(Url("/file/7000000/" + test::UniqueToken() + "/large").c_str(), nullptr, body, 120), 0)
      << "a large configuration still fits";
  EXPECT_EQ(body.size(), 7000000u);
}

TEST(HttpPostForm, SendsTheFormAndKeepsOnlyA200Answer) {
  const std::string token = test::UniqueToken();
  std::string answer;
  const char packet[] = {'m', 'e', '\0', 't', 'r', 'a'};
  EXPECT_EQ(HttpPostForm(Url("/echo/" + token).c_str(), packet, sizeof packet, answer), 0);
  EXPECT_EQ(answer, std::string("echo:") + std::string(packet, sizeof packet));
  const auto seen = test::PeerRequests("/echo/" + token);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].contentType, "application/x-www-form-urlencoded");

  answer = "untouched";
  EXPECT_EQ(HttpPostForm(Url("/status/500/x").c_str(), "a", 1, answer), 500);
  EXPECT_EQ(answer, "untouched");
}

TEST(HttpPostBinary, ReturnsTheStatusAndAppendsTheAnswer) {
  std::string answer = "before:";
  EXPECT_EQ(HttpPostBinary(test::Widen(Url("/echo/bin")), "\x01\x02", 2, 5, 10, answer), 200);
  EXPECT_EQ(answer, std::string("before:echo:\x01\x02"));
  EXPECT_EQ(HttpPostBinary(test::Widen(Url("/status/503/bin")), "x", 1, 5, 10, answer), 503);
  EXPECT_EQ(HttpPostBinary(test::Widen(std::string(test::kClosedPort)), "x", 1, 5, 10, answer), 0)
      << "no status was read";
  EXPECT_EQ(HttpPostBinary(test::Widen(Url("/short/100/200/bin")), "x", 1, 5, 10, answer), 200)
      << "the answer broke off after its status line: the status was read";
}

TEST(HttpGetToFile, OverwritesFromTheStartAndCutsTheOldTail) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"rcmd.dat";
  ASSERT_TRUE(test::WriteWholeFile(path, std::string(5000, 'o')));
  EXPECT_EQ(HttpGetToFile(test::Widen(Url("/file/1000/rcmd")), path, 0), 0);
  EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 1000));
  EXPECT_EQ(HttpGetToFile(test::Widen(Url("/status/404/rcmd")), path, 30), 404);
}

// The test certificate authority of the TLS peers (peers/tls_peer.py),
// fetched over plain http and made a trusted root of this prefix, as an
// administrator's or Windows' own roots are.
bool TrustTestAuthority() {
  std::string pem;
  if (HttpGetToString("http://127.0.0.1:18093/ca.pem", nullptr, pem, 10) != 0 || pem.empty()) return false;
  return test::TrustRootCertificate(pem);
}

// The https road is checked for real: a certificate the trusted authority
// issued for the host is taken; one issued for another host, or one that
// signs itself, ends the transfer before anything is sent or kept (Wine's
// Schannel alone would take both).
TEST(HttpsTransfer, OnlyATrustedCertificateForTheHostIsTaken) {
  ASSERT_TRUE(TrustTestAuthority());
  std::string body;
  EXPECT_EQ(HttpGetToString("https://localhost:18094/hello.txt", nullptr, body, 20), 0);
  EXPECT_EQ(body, "hello over https\n");

  test::ScratchDir dir;
  for (const char* refused : {"https://localhost:18095/hello.txt", "https://localhost:18097/hello.txt"}) {
    SCOPED_TRACE(refused);
    std::string untouched = "untouched";
    EXPECT_EQ(HttpGetToString(refused, nullptr, untouched, 20), CURLE_ABORTED_BY_CALLBACK);
    EXPECT_EQ(untouched, "untouched");
    int transferError = 0;
    const std::wstring target = dir.Path() + L"package.exe";
    EXPECT_NE(DownloadFile(test::Widen(refused), target, &transferError, nullptr, 20), DownloadFileResult::kOk);
    EXPECT_EQ(transferError, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_FALSE(win::FileExists(target)) << "nothing kept";
  }
  int transferError = 0;
  EXPECT_EQ(DownloadFile(L"https://localhost:18094/hello.txt", dir.Path() + L"good.txt", &transferError, nullptr, 20),
            DownloadFileResult::kOk);
  EXPECT_EQ(test::ReadWholeFile(dir.Path() + L"good.txt"), "hello over https\n");
}

}  // namespace
}  // namespace tw
