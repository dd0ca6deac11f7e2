// Each proxy mode used for real: the settings go into the Wine registry and
// the request must be seen by the proxy peer it names.
#include <gtest/gtest.h>

#include "platform/log.h"
#include "net/curl_downloader_win.h"
#include "net/download_file_win.h"
#include "net/http_transfer.h"
#include "platform/tw_md5.h"
#include "tests/net/net_test_support.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

constexpr wchar_t kSuiteKey[] = L"Software\\Tarnwick\\TwVip\\0";
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kTelemetryPeer = "http://127.0.0.1:18096/c/";

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class ProxyTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSuiteKey);
    SetDword(kInternetSettings, L"ProxyEnable", 0);
  }

  static void SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
  }
  static void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, value.c_str(),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  static void SuiteProxy(DWORD mode, const std::wstring& host, DWORD port) {
    SetDword(kSuiteKey, L"Proxy Mode", mode);
    SetString(kSuiteKey, L"Proxy Host", host);
    SetDword(kSuiteKey, L"Proxy Port", port);
  }

  // Fetches a file through whatever the registry says; the path is unique.
  std::string Fetch() {
    m_path = "/file/64/" + test::UniqueToken();
    std::string body;
    EXPECT_EQ(HttpGetToString((std::string(test::kFilePeer) + m_path).c_str(), nullptr, body, 30), 0);
    EXPECT_EQ(body, test::Pattern(0, 64));
    return std::string(test::kFilePeer) + m_path;
  }
  // What the HTTP proxy saw of the last fetch.
  std::vector<test::ProxiedRequest> SeenBy(const char* kind) {
    std::vector<test::ProxiedRequest> mine;
    for (const auto& seen : test::Proxied(kind)) {
      if (seen.target.find(m_path) != std::string::npos) mine.push_back(seen);
    }
    return mine;
  }
  size_t SocksCount() { return test::Proxied("socks").size(); }

  std::string m_path;
};

TEST_F(ProxyTest, HttpModeGoesThroughTheHttpProxyWithBasicCredentials) {
  SuiteProxy(2, L"127.0.0.1", test::kHttpProxyPort);
  SetDword(kSuiteKey, L"Proxy Authorization", 1);
  SetString(kSuiteKey, L"Proxy User", L"u");
  SetString(kSuiteKey, L"Proxy Password", L"p");
  const std::string url = Fetch();
  const auto seen = SeenBy("http");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].target, url);
  EXPECT_EQ(seen[0].auth, "Basic dTpw");

  SetString(kSuiteKey, L"Proxy User", L"");
  SetString(kSuiteKey, L"Proxy Password", L"");
  Fetch();
  ASSERT_EQ(SeenBy("http").size(), 1u);
  EXPECT_EQ(SeenBy("http")[0].auth, "Basic Og==") << "the credentials text is \":\"";
}

TEST_F(ProxyTest, Socks5ModeGoesThroughTheSocksProxy) {
  const size_t before = SocksCount();
  SuiteProxy(3, L"127.0.0.1", test::kSocksProxyPort);
  Fetch();
  const auto all = test::Proxied("socks");
  ASSERT_EQ(all.size(), before + 1);
  EXPECT_EQ(all.back().target, "127.0.0.1:18090");
}

TEST_F(ProxyTest, DefaultKindModeSetsHostAndPortOnly) {
  SuiteProxy(4, L"127.0.0.1", test::kHttpProxyPort);  // libcurl's default kind is HTTP
  const std::string url = Fetch();
  ASSERT_EQ(SeenBy("http").size(), 1u);
  EXPECT_EQ(SeenBy("http")[0].target, url);
}

TEST_F(ProxyTest, InternetExplorerSettings) {
  SetDword(kSuiteKey, L"Proxy Mode", 1);
  SetDword(kInternetSettings, L"ProxyEnable", 1);
  SetString(kInternetSettings, L"ProxyServer", L"http=127.0.0.1:18091;https=127.0.0.1:9");
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 1u) << "the http= entry, HTTP";

  const size_t before = SocksCount();
  SetString(kInternetSettings, L"ProxyServer", L"http=127.0.0.1:18091;socks=127.0.0.1:18092");
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "a socks= entry wins";
  EXPECT_EQ(SocksCount(), before + 1);

  SetDword(kInternetSettings, L"ProxyEnable", 0);
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "disabled: direct";
}

TEST_F(ProxyTest, MissingOrBrokenSettingsMeanNoProxy) {
  SuiteProxy(2, L"", test::kHttpProxyPort);
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "an empty host sets no proxy at all";

  SuiteProxy(2, std::wstring(300, L'h'), test::kHttpProxyPort);
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "a host longer than 259 characters counts as absent";

  const DWORD number = 5;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kSuiteKey, L"Proxy Host", REG_DWORD, &number, sizeof number),
            ERROR_SUCCESS);
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "a host of another type counts as absent";

  SuiteProxy(7, L"127.0.0.1", test::kHttpProxyPort);
  Fetch();
  EXPECT_EQ(SeenBy("http").size(), 0u) << "an unknown mode is no proxy";
}

TEST_F(ProxyTest, EveryRecipeGoesThroughTheProxy) {
  SuiteProxy(2, L"127.0.0.1", test::kHttpProxyPort);
  test::ScratchDir dir;
  // A package download: the HEAD for its length, then the GET.
  m_path = "/file/5000/" + test::UniqueToken() + "/p";
  const std::wstring url = test::Widen(std::string(test::kFilePeer) + m_path);
  EXPECT_EQ(DownloadFile(url, dir.Path() + L"p.exe", nullptr, nullptr, 30), DownloadFileResult::kOk);
  EXPECT_EQ(SeenBy("http").size(), 2u) << "HEAD and GET";
  // The recommendation file and a binary post.
  m_path = "/file/64/" + test::UniqueToken();
  EXPECT_EQ(HttpGetToFile(test::Widen(std::string(test::kFilePeer) + m_path), dir.Path() + L"r.dat", 30), 0);
  EXPECT_EQ(SeenBy("http").size(), 1u) << "the recommendation fetch";
  m_path = "/echo/" + test::UniqueToken();
  std::string answer;
  EXPECT_EQ(HttpPostBinary(test::Widen(std::string(test::kFilePeer) + m_path), "x", 1, 30, 30, answer), 200);
  EXPECT_EQ(answer, "echo:x");
  EXPECT_EQ(SeenBy("http").size(), 1u) << "the binary post";
}

TEST_F(ProxyTest, EverySliceOfTheResumableDownloadGoesThroughTheProxy) {
  SuiteProxy(3, L"127.0.0.1", test::kSocksProxyPort);
  const size_t before = SocksCount();
  test::ScratchDir dir;
  const std::string path = "/drop/250000/70000/" + test::UniqueToken() + "/p";
  TwCurlDownloader::Policy policy;
  policy.pauseMs = 10;
  EXPECT_EQ(TwCurlDownloader(policy).Download(test::Widen(std::string(test::kFilePeer) + path), dir.Path() + L"p.exe",
                                              nullptr, nullptr),
            DownloaderResult::kComplete);
  EXPECT_TRUE(VerifyFileMd5(dir.Path() + L"p.exe", test::Widen(test::PatternMd5(250000))));
  size_t gets = 0;
  for (const auto& seen : test::PeerRequests(path)) gets += seen.method == "GET" ? 1 : 0;
  EXPECT_EQ(gets, 4u);
  // Each slice after a dropped connection needs a connection of its own.
  EXPECT_GE(SocksCount() - before, gets) << "the HEAD and every slice went through the proxy";
}

TEST_F(ProxyTest, ADeadProxyFallsBackToADirectConnectionAndSaysSo) {
  test::ScratchDir dir;
  ASSERT_TRUE(TwLog::Instance().Start(dir.Path() + L"twinst.log"));
  for (const auto& [mode, port] : {std::pair<DWORD, DWORD>{2, 18098}, {3, 18099}}) {
    SuiteProxy(mode, L"127.0.0.1", port);  // nothing listens there
    Fetch();
    Fetch();  // the proxy is not tried again in this run
    std::string answer;
    EXPECT_EQ(HttpPostForm(kTelemetryPeer, "not a packet", 12, answer), 400) << "a record post reaches the service";
  }
  TwLog::Instance().Stop();
  const std::string log = test::ReadWholeFile(dir.Path() + L"twinst.log");
  for (const char* port : {"18098", "18099"}) {
    const std::string line = std::string("Proxy 127.0.0.1:") + port + " unreachable (curl 7), direct connection\r\n";
    EXPECT_EQ(Occurrences(log, line), 1u) << log;
  }
}

}  // namespace
}  // namespace tw
