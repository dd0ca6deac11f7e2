// The resumable downloader against peers that break, trickle and ignore
// ranges; its log lines are part of what it promises.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <cstdint>
#include <string>

#include "platform/log.h"
#include "net/curl_downloader_win.h"
#include "platform/tw_md5.h"
#include "tests/net/net_test_support.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class DownloaderTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TwLog::Instance().Start(m_dir.Path() + L"twinst.log")); }
  void TearDown() override { TwLog::Instance().Stop(); }

  std::string Log() {
    TwLog::Instance().Stop();
    return test::ReadWholeFile(m_dir.Path() + L"twinst.log");
  }
  std::wstring Url(const std::string& path) { return test::Widen(std::string(test::kFilePeer) + path); }
  std::wstring Target() const { return m_dir.Path() + L"sub\\dir\\package.exe"; }
  static bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  test::ScratchDir m_dir;
};

TEST_F(DownloaderTest, DownloadsIntoNewDirectoriesAndLogs) {
  int error = -1;
  EXPECT_EQ(TwCurlDownloader().Download(Url("/file/300000/" + test::UniqueToken() + "/p"), Target(), &error, nullptr),
            DownloaderResult::kComplete);
  EXPECT_EQ(error, 200);
  EXPECT_TRUE(VerifyFileMd5(Target(), test::Widen(test::PatternMd5(300000))));
  const std::string log = Log();
  EXPECT_NE(log.find("DownloadControl -- Start\r\n"), std::string::npos);
  EXPECT_NE(log.find("ExecuteDownload ResponseCode = 200\r\n"), std::string::npos);
  EXPECT_NE(log.find("DownloadControl -- ExE CurlCode = 0, Count = 1, CurrentSize = 300000, ResCode = 200\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("DownloadControl -- End HRESULT = 0, Count = 1\r\n"), std::string::npos);
}

TEST_F(DownloaderTest, ResumesAfterEveryBrokenConnection) {
  const std::string token = test::UniqueToken();
  TwCurlDownloader::Policy policy;
  policy.pauseMs = 10;
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url("/drop/250000/70000/" + token + "/p"), Target(), nullptr, nullptr),
            DownloaderResult::kComplete);
  EXPECT_TRUE(VerifyFileMd5(Target(), test::Widen(test::PatternMd5(250000))));
  std::vector<std::string> ranges;
  for (const auto& seen : test::PeerRequests("/drop/250000/70000/" + token)) {
    if (seen.method == "GET") ranges.push_back(seen.range);
  }
  EXPECT_EQ(ranges, (std::vector<std::string>{"", "bytes=70000-", "bytes=140000-", "bytes=210000-"}));
  EXPECT_NE(Log().find("CurlCode = 18, Count = 1, CurrentSize = 70000"), std::string::npos);
}

// Offsets past 2 GiB: every answer of a 2.5 GiB file breaks after 1.2 GiB,
// so a slice resumes beyond what 32 bits hold, and the file is whole.
TEST_F(DownloaderTest, ResumesPastTwoGibibytes) {
  constexpr uint64_t kSize = 2684354560;  // 2.5 GiB
  constexpr uint64_t kCut = 1288490189;   // 1.2 GiB
  const std::string token = test::UniqueToken();
  const std::string path = "/drop/" + std::to_string(kSize) + "/" + std::to_string(kCut) + "/" + token;
  TwCurlDownloader::Policy policy;
  policy.maxAttempts = 20;
  policy.sliceSeconds = 120;
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url(path + "/p"), Target(), nullptr, nullptr),
            DownloaderResult::kComplete);

  bool resumedPast2Gib = false;
  for (const auto& seen : test::PeerRequests(path)) {
    if (seen.method == "GET" && seen.range.size() > 6) {
      resumedPast2Gib = resumedPast2Gib || std::stoull(seen.range.substr(6)) > 0x7FFFFFFFull;
    }
  }
  EXPECT_TRUE(resumedPast2Gib) << "a range starting past 2 GiB was asked for";

  win::UniqueFile file(
      ::CreateFileW(Target().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file.IsValid());
  LARGE_INTEGER size{};
  ASSERT_TRUE(::GetFileSizeEx(file.Get(), &size));
  EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), kSize);
  for (const uint64_t at : {kCut - 2048, 2 * kCut - 2048, 0x80000000ull - 2048, kSize - 4096}) {
    SCOPED_TRACE(at);
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(at);
    ASSERT_TRUE(::SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN));
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(file.Get(), bytes.data(), 4096, &read, nullptr));
    EXPECT_TRUE(bytes == test::Pattern(at, at + 4096)) << "the bytes around each break are the file's";
  }
  file.Reset();
  ::DeleteFileW(Target().c_str());
}

TEST_F(DownloaderTest, SlowTransfersArriveInTimedSlices) {
  TwCurlDownloader::Policy policy;
  policy.sliceSeconds = 1;
  const std::string token = test::UniqueToken();
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url("/trickle/24000/10000/" + token + "/p"), Target(), nullptr, nullptr),
            DownloaderResult::kComplete);
  EXPECT_TRUE(VerifyFileMd5(Target(), test::Widen(test::PatternMd5(24000))));
  const std::string log = Log();
  EXPECT_NE(log.find("CurlCode = 28, Count = 1"), std::string::npos) << log;
  EXPECT_NE(log.find("CurlCode = 28, Count = 2"), std::string::npos) << log;
  EXPECT_NE(log.find("ResCode = 206\r\n"), std::string::npos) << "the last slice is a range";
}

TEST_F(DownloaderTest, AServerIgnoringRangesMakesItStartOver) {
  TwCurlDownloader::Policy policy;
  policy.pauseMs = 10;
  const std::string token = test::UniqueToken();
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url("/cutfirst-norange/200000/50000/" + token + "/p"), Target(), nullptr,
                                              nullptr),
            DownloaderResult::kComplete);
  EXPECT_TRUE(VerifyFileMd5(Target(), test::Widen(test::PatternMd5(200000))))
      << "the whole body must not be appended after the first 50000 bytes";
}

TEST_F(DownloaderTest, GivesUpAfterTheLastAttempt) {
  TwCurlDownloader::Policy policy;
  policy.maxAttempts = 3;
  policy.pauseMs = 0;
  int error = 0;
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url("/status/503/" + test::UniqueToken()), Target(), &error, nullptr),
            DownloaderResult::kAttemptsExhausted);
  EXPECT_EQ(error, 503) << "the last response code when libcurl itself succeeded";
  const std::string log = Log();
  EXPECT_NE(log.find("Count = 3, CurrentSize = 0, ResCode = 503"), std::string::npos) << "error pages are not the file";
  EXPECT_NE(log.find("DownloadControl -- End HRESULT = 259, Count = 4\r\n"), std::string::npos);
}

TEST_F(DownloaderTest, AnErrorPageBetweenSlicesIsNotWrittenIntoTheFile) {
  // The first GET is answered 503 with an error page, later ones with the file.
  TwCurlDownloader::Policy policy;
  policy.pauseMs = 10;
  int error = 0;
  EXPECT_EQ(TwCurlDownloader(policy).Download(Url("/unavailable-first/50000/" + test::UniqueToken()), Target(), &error,
                                              nullptr),
            DownloaderResult::kComplete);
  EXPECT_TRUE(VerifyFileMd5(Target(), test::Widen(test::PatternMd5(50000))));
  EXPECT_NE(Log().find("Count = 1, CurrentSize = 0, ResCode = 503"), std::string::npos);
}

TEST_F(DownloaderTest, RefusesWhatItCannotStart) {
  int error = 0;
  EXPECT_EQ(TwCurlDownloader().Download(L"", Target(), &error, nullptr), DownloaderResult::kInvalid);
  EXPECT_EQ(TwCurlDownloader().Download(Url("/file/10/x"), L"", &error, nullptr), DownloaderResult::kInvalid);

  EXPECT_EQ(TwCurlDownloader().Download(test::Widen(test::kClosedPort) + L"/p", Target(), &error, nullptr),
            DownloaderResult::kHeadFailed);
  EXPECT_EQ(error, CURLE_COULDNT_CONNECT);

  EXPECT_EQ(TwCurlDownloader().Download(Url("/nolength/100/x"), Target(), &error, nullptr),
            DownloaderResult::kNoContentLength);
  EXPECT_FALSE(Exists(Target())) << "no Content-Length: the file is never created";

  const std::wstring blocker = m_dir.Path() + L"file";
  ASSERT_TRUE(test::WriteWholeFile(blocker, "x"));
  EXPECT_EQ(TwCurlDownloader().Download(Url("/file/10/x"), blocker + L"\\under\\p.exe", &error, nullptr),
            DownloaderResult::kCreateFailed);
  const std::string log = Log();
  EXPECT_NE(log.find("DownloadControl curlExecuter Invalid\r\n"), std::string::npos);
  EXPECT_NE(log.find("DownloadControl GetDownloadFileLength Failure\r\n"), std::string::npos);
  EXPECT_NE(log.find("DownloadControl CreateFile Failure\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tw
