// The file download every package goes through, and its progress messages
// on a real window's message queue.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "net/curl_downloader_win.h"
#include "net/download_callback_win.h"
#include "net/download_file_win.h"
#include "platform/tw_md5.h"
#include "tests/net/net_test_support.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

constexpr UINT kDownloadDone = WM_APP + 1;

std::wstring Url(const std::string& path) { return test::Widen(std::string(test::kFilePeer) + path); }
bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(DownloadFile, WritesTheFileUnderItsFinalName) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"new\\package.exe";
  int error = -1;
  EXPECT_EQ(DownloadFile(Url("/file/200000/" + test::UniqueToken()), path, &error, nullptr, 0),
            DownloadFileResult::kOk);
  EXPECT_EQ(error, -1) << "the transfer error is only written on failure";
  const std::string md5 = test::PatternMd5(200000);
  EXPECT_TRUE(VerifyFileMd5(path, test::Widen(md5)));
  std::wstring lower = test::Widen(md5);
  for (auto& c : lower) c = static_cast<wchar_t>(towlower(c));
  EXPECT_TRUE(VerifyFileMd5(path, lower));
  EXPECT_EQ(DownloadFile(Url("/nolength/3000/x"), path, &error, nullptr, 0), DownloadFileResult::kOk);
  EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 3000)) << "no Content-Length still delivers the file";
}

TEST(DownloadFile, FailuresLeaveNoFile) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"package.exe";
  struct Case {
    std::string url;
    long limit;
    int error;
  } cases[] = {
      {"/status/404/x", 30, 404},
      {"/trickle/100000/5000/x", 1, CURLE_OPERATION_TIMEDOUT},
      {"/short/100/5000/x", 30, CURLE_PARTIAL_FILE},
      {"/loop/x", 30, CURLE_TOO_MANY_REDIRECTS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    ASSERT_TRUE(test::WriteWholeFile(path, "stale"));
    int error = 0;
    EXPECT_EQ(DownloadFile(Url(c.url), path, &error, nullptr, c.limit), DownloadFileResult::kFailed);
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(Exists(path)) << "the stale file is gone and no partial file is left";
  }
}

TEST(DownloadFile, BadArgumentsAndUnwritableTargets) {
  test::ScratchDir dir;
  int error = 0;
  EXPECT_EQ(DownloadFile(L"", dir.Path() + L"a.exe", &error, nullptr, 0), DownloadFileResult::kBadArguments);
  EXPECT_EQ(DownloadFile(Url("/file/10/x"), L"", &error, nullptr, 0), DownloadFileResult::kBadArguments);
  EXPECT_FALSE(Exists(dir.Path() + L"a.exe"));

  const std::wstring blocker = dir.Path() + L"file";
  ASSERT_TRUE(test::WriteWholeFile(blocker, "x"));
  EXPECT_EQ(DownloadFile(Url("/file/10/x"), blocker + L"\\under\\p.exe", &error, nullptr, 0),
            DownloadFileResult::kFailed);
  EXPECT_EQ(error, CURLE_WRITE_ERROR) << "a file that cannot be created fails every write";
}

// A package's partial file: a transfer that breaks keeps its bytes and a
// record of the file they belong to, and the next call continues with a
// range from where they end (If-Range: the ETag they came with); when the
// server's file changed meanwhile (another ETag), the file starts anew.
TEST(DownloadFile, APartialFileIsKeptAndContinuedWhileTheServersFileIsTheSame) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"0123456789abcdef0123456789abcdef.part";
  const std::string token = test::UniqueToken();
  const std::string url = "/drop/300000/120000/" + token;
  std::vector<std::pair<DownloadFileResult, DownloadOutcome>> calls;
  for (int call = 0; call < 3; ++call) {
    int error = 0;
    DownloadOutcome outcome;
    calls.emplace_back(DownloadFile(Url(url), path, &error, nullptr, 30, PartialBytes::kKeep, &outcome), outcome);
    if (call < 2) {
      EXPECT_EQ(calls.back().first, DownloadFileResult::kFailed) << call;
      EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 120000 * (call + 1))) << "the bytes so far are kept";
      EXPECT_TRUE(Exists(path + L".txt")) << "with their record";
    }
  }
  EXPECT_EQ(calls[2].first, DownloadFileResult::kOk);
  EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 300000));
  EXPECT_EQ(calls[1].second.continued, 120000);
  EXPECT_EQ(calls[2].second.continued, 240000);
  EXPECT_EQ(calls[2].second.fetched, 60000);
  std::vector<std::string> ranges, validators;
  for (const auto& seen : test::PeerRequests(url)) {
    if (seen.method != "GET") continue;
    ranges.push_back(seen.range);
    validators.push_back(seen.ifRange);
  }
  EXPECT_EQ(ranges, (std::vector<std::string>{"", "bytes=120000-", "bytes=240000-"}));
  EXPECT_EQ(validators, (std::vector<std::string>{"", "\"drop-300000-1\"", "\"drop-300000-1\""}));

  // Broken again half-way; then the server's file changes: anew from 0.
  ::DeleteFileW(path.c_str());
  const std::string again = "/drop/300000/120000/" + test::UniqueToken();
  EXPECT_EQ(DownloadFile(Url(again), path, nullptr, nullptr, 30, PartialBytes::kKeep), DownloadFileResult::kFailed);
  test::SetFilePeerVersion("2");
  DownloadOutcome outcome;
  EXPECT_EQ(DownloadFile(Url(again), path, nullptr, nullptr, 30, PartialBytes::kKeep, &outcome),
            DownloadFileResult::kFailed);
  test::SetFilePeerVersion("1");
  EXPECT_EQ(outcome.continued, 0) << "nothing of the old file is continued";
  EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 120000)) << "the new file's first bytes, from 0";
  EXPECT_EQ(test::PeerRequests(again).back().range, "");
}

// A server that ignores ranges sends the whole file again: the kept bytes
// are not doubled, the file is written from its start.
TEST(DownloadFile, AServerThatIgnoresRangesGivesTheWholeFileOnce) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"p.part";
  const std::string url = "/cutfirst-norange/200000/80000/" + test::UniqueToken();
  // That server names no validator: kept bytes are then not continued at all.
  EXPECT_EQ(DownloadFile(Url(url), path, nullptr, nullptr, 30, PartialBytes::kKeep), DownloadFileResult::kFailed);
  DownloadOutcome outcome;
  EXPECT_EQ(DownloadFile(Url(url), path, nullptr, nullptr, 30, PartialBytes::kKeep, &outcome), DownloadFileResult::kOk);
  EXPECT_EQ(outcome.continued, 0);
  EXPECT_EQ(test::ReadWholeFile(path), test::Pattern(0, 200000));
}

// A sign-in portal answers every address with its own page, status 200:
// not the package (its own result), and nothing of it is kept.
TEST(DownloadFile, APortalPageIsNotThePackage) {
  test::ScratchDir dir;
  const std::wstring path = dir.Path() + L"p.part";
  int error = 0;
  DownloadOutcome outcome;
  EXPECT_EQ(
      DownloadFile(Url("/portal/" + test::UniqueToken()), path, &error, nullptr, 30, PartialBytes::kKeep, &outcome),
      DownloadFileResult::kWebPage);
  EXPECT_EQ(outcome.contentType, "text/html; charset=utf-8");
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(Exists(path + L".txt"));
}

// A real window on this thread's queue receives the progress messages
// while a worker thread downloads.
class ProgressWindow {
 public:
  struct Post {
    WPARAM percent;
    LPARAM speed;
    DWORD tick;
  };

  ProgressWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TwProgressTestWindow";
    ::RegisterClassW(&windowClass);
    m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
  }
  ~ProgressWindow() { ::DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }

  // Pumps messages until the worker posts kDownloadDone; returns its result.
  int PumpUntilDone(std::vector<Post>& posts) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd == m_window && message.message == kDownloadProgressMessage) {
        posts.push_back(Post{message.wParam, message.lParam, message.time});
      } else if (message.hwnd == m_window && message.message == kDownloadDone) {
        return static_cast<int>(message.wParam);
      }
      ::DispatchMessageW(&message);
    }
    return -1;
  }

 private:
  HWND m_window = nullptr;
};

TEST(DownloadProgress, ThrottledMessagesEndingAt100) {
  ProgressWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  test::ScratchDir dir;
  TwDowloadCallback callback(window.Handle(), kDownloadProgressMessage, nullptr);
  const DWORD started = ::GetTickCount();
  std::thread worker([&] {
    const DownloadFileResult result = DownloadFile(Url("/trickle/200000/200000/" + test::UniqueToken()),
                                                   dir.Path() + L"p.exe", nullptr, &callback, 60);
    ::PostMessageW(window.Handle(), kDownloadDone, static_cast<WPARAM>(result), 0);
  });
  std::vector<ProgressWindow::Post> posts;
  EXPECT_EQ(window.PumpUntilDone(posts), static_cast<int>(DownloadFileResult::kOk));
  worker.join();
  const DWORD elapsed = ::GetTickCount() - started;

  ASSERT_GE(posts.size(), 3u);
  EXPECT_EQ(posts.back().percent, 100u);
  EXPECT_LE(posts.size(), elapsed / 80 + 3) << "at most one per 80 ms, plus the final 100";
  for (size_t i = 1; i < posts.size(); ++i) EXPECT_GE(posts[i].percent, posts[i - 1].percent);
  LPARAM fastest = 0;
  for (const auto& post : posts) {
    EXPECT_LE(post.percent, 100u);
    EXPECT_LE(post.speed, 2000) << "bytes per millisecond from a 200 KB/s trickle";
    fastest = std::max(fastest, post.speed);
  }
  EXPECT_GT(fastest, 0) << "the length is known, so the speed is";
}

TEST(DownloadProgress, EachTransferStartsItsOwnProgress) {
  // A second package, its retry and the resumable fallback share the
  // window's sink: each must show its own progress, not wait to pass 100 %.
  ProgressWindow window;
  test::ScratchDir dir;
  TwDowloadCallback callback(window.Handle(), kDownloadProgressMessage, nullptr);
  constexpr UINT kTransferEnded = WM_APP + 2;
  std::thread worker([&] {
    for (int transfer = 0; transfer < 3; ++transfer) {
      const std::wstring url = Url("/trickle/150000/150000/" + test::UniqueToken());
      const std::wstring path = dir.Path() + L"p" + std::to_wstring(transfer) + L".exe";
      const int result = transfer < 2 ? static_cast<int>(DownloadFile(url, path, nullptr, &callback, 60))
                                      : static_cast<int>(TwCurlDownloader().Download(url, path, nullptr, &callback));
      ::PostMessageW(window.Handle(), kTransferEnded, static_cast<WPARAM>(result), 0);
    }
    ::PostMessageW(window.Handle(), kDownloadDone, 0, 0);
  });
  std::vector<std::vector<WPARAM>> percents(1);
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != kDownloadDone) {
    if (message.message == kDownloadProgressMessage) percents.back().push_back(message.wParam);
    if (message.message == kTransferEnded) {
      EXPECT_EQ(message.wParam, 0u);
      percents.emplace_back();
    }
  }
  worker.join();
  ASSERT_EQ(percents.size(), 4u);
  for (size_t transfer = 0; transfer < 3; ++transfer) {
    const auto& shown = percents[transfer];
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [](WPARAM p) { return p > 0 && p < 100; }))
        << "transfer " << transfer << " showed progress on its way";
  }
}

TEST(DownloadProgress, TheCancelFlagStopsTheTransfer) {
  ProgressWindow window;
  test::ScratchDir dir;
  volatile LONG cancel = 0;
  TwDowloadCallback callback(window.Handle(), kDownloadProgressMessage, &cancel);
  int error = 0;
  std::thread worker([&] {
    const DownloadFileResult result =
        DownloadFile(Url("/trickle/100000/20000/" + test::UniqueToken()), dir.Path() + L"p.exe", &error, &callback, 60);
    ::PostMessageW(window.Handle(), kDownloadDone, static_cast<WPARAM>(result), 0);
  });
  MSG message{};
  int result = -1;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == kDownloadProgressMessage) ::InterlockedExchange(&cancel, 1);  // the user pressed cancel
    if (message.message == kDownloadDone) {
      result = static_cast<int>(message.wParam);
      break;
    }
  }
  worker.join();
  EXPECT_EQ(result, static_cast<int>(DownloadFileResult::kFailed));
  EXPECT_EQ(error, CURLE_ABORTED_BY_CALLBACK);
  EXPECT_FALSE(Exists(dir.Path() + L"p.exe"));
}

}  // namespace
}  // namespace tw
