// The main window under Wine. Scenarios run the whole road against the
// configuration, file and telemetry peers and the product installer peer,
// driven by clicks at the controls; picture tests show each page from a
// window whose road is left out, so every pixel is deterministic.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "platform/win/file_system_win.h"
#include "platform/win/private_folder_win.h"
#include "tests/road/road_fixture.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"
#include "tests/windows/windows_test_support_win.h"
#include "windows/disagree_dialog_win.h"
#include "windows/install_path.h"
#include "windows/main_window_ids.h"
#include "windows/main_window_rules.h"

namespace tw {
namespace {

namespace id = main_window_id;

using test::Click;
using test::Script;
using test::TestMainWindow;
using namespace test::road;

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + name;
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    test::UseInstallerResources();
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
    m_packages = PublishPackages();
    ::DeleteFileW(TempPath(L"tw_product_installer.txt").c_str());
  }
  void TearDown() override {
    ForgetInstallState();
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                         L"TWAV7NEEDREBOOT");
  }
  INT_PTR Run(TestMainWindow& window, Script& script) {
    script.Start();
    return window.DoModal(nullptr);
  }
  static std::string Recorded() { return test::ReadWholeFile(TempPath(L"tw_product_installer.txt")); }

  Packages m_packages;
};

TEST_F(MainWindowTest, AgreeWithTheDefaultPathInstallsAndStageFiveCloses) {
  Configure(Tryno(Entry(m_packages.exe)));
  TestMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kAgreeAndInstallButton); });
  EXPECT_EQ(Run(window, script), 2) << "stage 5 ends the window through 1130";
  EXPECT_TRUE(window.UserActions().agreed);
  EXPECT_EQ(window.UserActions().decision, kDecisionAgreed);
  const std::string recorded = Recorded();
  EXPECT_NE(recorded.find("installpath=\"" + test::Narrow(window.InstallPath()) + "\""), std::string::npos) << recorded;
  EXPECT_NE(window.InstallPath().find(L"\\tarnwick\\tarnwick antivirus\\"), std::wstring::npos);
  EXPECT_EQ(window.Tip(), L"安装成功");
  EXPECT_TRUE(window.Shown(id::kFinishedPage)) << "the installer reported success before stage 5";
}

TEST_F(MainWindowTest, PathPanelValidatesAndRestoresTheDefault) {
  Configure(Tryno(Entry(m_packages.exe)));
  TestMainWindow window(1029, 7);
  window.browse_result = L"C:\\" + std::wstring(160, L'x') + L"\\tarnwick antivirus\\";
  Script script([&] { window.EndDialog(-1); });
  RECT before{};
  script.Do([&] {
    ::GetWindowRect(window.Hwnd(), &before);
    Click(window, id::kCustomInstallButton);
    RECT after;
    ::GetWindowRect(window.Hwnd(), &after);
    EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), 60);
    EXPECT_TRUE(window.PanelOpen());
  });
  const std::pair<const wchar_t*, int> typed[] = {{L"C:", 1}, {L"N:\\share", 2}, {L"C:\\a?b", 3}, {L"F:\\full", 4}};
  for (const auto& [path, code] : typed) {
    script.Do([&window, path = path] { test::TypePath(window.PathBox(), path); })
        .Then([&window, code = code] { return window.Shown(150 + code); })
        .Do([&window, code = code] {
          EXPECT_TRUE(window.Shown(id::kRestoreDefaultPathButton)) << code;
          EXPECT_TRUE(window.Disabled(id::kAgreeAndInstallButton) && window.Disabled(id::kDisagreeButton)) << code;
          for (int other = 1; other <= 5; ++other) EXPECT_EQ(window.Shown(150 + other), other == code);
        });
  }
  script
      .Do([&] { Click(window, id::kBrowseButton); })  // browsing gives a path too long to install into
      .Then([&] { return window.Shown(id::kPathErrorTextBase + kPathTooLong); })
      .Do([&] { Click(window, id::kRestoreDefaultPathButton); })
      .Do([&] {
        EXPECT_FALSE(window.Shown(id::kRestoreDefaultPathButton) ||
                     window.Shown(id::kPathErrorTextBase + kPathTooLong));
        EXPECT_FALSE(window.Disabled(id::kAgreeAndInstallButton) || window.Disabled(id::kDisagreeButton));
        EXPECT_NE(PathBoxText(window.PathBox()).find(L"\\tarnwick\\tarnwick antivirus\\"), std::wstring::npos);
        Click(window, id::kCloseButton);  // leave, confirmed
      });
  EXPECT_EQ(Run(window, script), 0);
  EXPECT_EQ(window.leave_questions, 1);
  EXPECT_TRUE(window.UserActions().leaving_confirmed);
}

TEST_F(MainWindowTest, DisagreeClosedKeepsTheStartPageAndGivingUpEnds) {
  Configure(Tryno(Entry(m_packages.exe)));
  TestMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  HWND dialog = nullptr;
  auto click_in_dialog = [&](int id) {
    return [&, id] {
      dialog = test::FindThreadWindow(L"UxDialogViewImplEx");
      if (!dialog || dialog == window.Hwnd()) return false;
      auto* host = dynamic_cast<ux::win::UxHostCore*>(
          reinterpret_cast<ux::win::UxWindowBase*>(::GetWindowLongPtrW(dialog, GWLP_USERDATA)));
      if (!host) return false;
      Click(*host, id);
      return true;
    };
  };
  // The dialog runs its own modal loop inside the click: the next steps run from it.
  script.Do([&] { Click(window, id::kDisagreeButton); });
  EXPECT_EQ(Run(window, script.Then(click_in_dialog(1001))
                            .Then([&] { return window.UserActions().decision == kDecisionClosedDisagreeDialog; })
                            .Do([&] {
                              EXPECT_EQ(window.UserActions().decision, kDecisionClosedDisagreeDialog);
                              EXPECT_TRUE(window.Shown(id::kStartPage));
                              Click(window, id::kDisagreeButton);
                            })
                            .Then(click_in_dialog(1004))),
            0);
  EXPECT_EQ(window.UserActions().decision, kDecisionGaveUp);
}

TEST_F(MainWindowTest, DecliningToLeaveStaysAndAgreeingAfterAllInstalls) {
  Configure(Tryno(Entry(m_packages.exe)));
  TestMainWindow window(1029, 7);
  window.leave_answer = 0;  // the question answered with "stay"
  window.disagree_answer = TwDisagreeInstallDlg::kAgreed;
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kCloseButton); }).Do([&] {
    EXPECT_EQ(window.leave_questions, 1);
    EXPECT_TRUE(window.UserActions().leaving_cancelled);
    EXPECT_TRUE(window.Shown(id::kStartPage)) << "still on the start page";
    Click(window, id::kDisagreeButton);  // disagree, then agree after all in the dialog
  });
  EXPECT_EQ(Run(window, script), 2) << "installed: stage 5 ends the window";
  EXPECT_EQ(window.UserActions().decision, kDecisionAgreedAfterAll);
  EXPECT_TRUE(window.UserActions().agreed);
  EXPECT_FALSE(window.UserActions().leaving_confirmed);
  EXPECT_NE(Recorded().find("/autoinstall ##silence=0"), std::string::npos) << "the product installer ran";
}

// How many of the command line's arguments, as Windows splits it, are `argument`.
int ArgumentsEqualTo(const std::string& utf8, const wchar_t* argument) {
  std::wstring line(utf8.size(), L'\0');
  line.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        line.data(), static_cast<int>(line.size()))));
  int count = 0, found = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(line.c_str(), &count);
  const win::UniqueLocalMemory owned(arguments);
  for (int i = 0; arguments && i < count; ++i) found += std::wcscmp(arguments[i], argument) == 0;
  return found;
}

// The recommendation the window fetched, evaluated, reaches the product
// installer as its eight switches before /autoinstall; a served reason
// cannot add switches of its own.
TEST_F(MainWindowTest, TheRecommendationsSwitchesReachTheProductInstaller) {
  Configure(Tryno(Entry(m_packages.exe)));
  const struct {
    const char* document;
    const char* switches;
  } cases[] = {
      {R"(<version value="1" switch="1"><sence id="2"><soft id="7" probability="100" cid="5" tid="6"><condition/></soft></sence></version>)",
       R"(/rcmdfromtwinst /rcmdSceneId=2 /rcmdSoftId=7 /rcmdcheck=1 /rcmdreason="" /rcmdCid=5 /rcmdTid=6 /rcmdCanRcmd=1 /autoinstall ##)"},
      {R"(<version value="1" switch="1"><sence id="2"><soft id="7"><condition><registry key="HKEY_CURRENT_USER\Software\TwNoSuchKey" valuename="v" minivalue="1" maxvalue="2" notRcmdReason="x&quot; /autoinstall ##silence=1&amp;installpath=&quot;C:\evil"/></condition></soft></sence></version>)",
       R"(/rcmdreason="x autoinstall silence1installpathC:evil" /rcmdCid=0 /rcmdTid=0 /rcmdCanRcmd=0 /autoinstall ##)"},
  };
  for (const auto& c : cases) {
    Post("/_peer/container?name=rcmd", c.document);
    ::DeleteFileW(TempPath(L"tw_product_installer.txt").c_str());
    TestMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); });
    EXPECT_EQ(Run(window, script), 2);
    const std::string recorded = Recorded();
    EXPECT_NE(recorded.find(c.switches), std::string::npos) << recorded;
    EXPECT_EQ(ArgumentsEqualTo(recorded, L"/autoinstall"), 1) << "as Windows splits the command line: " << recorded;
  }
  Post("/_peer/container?name=rcmd", "<root/>");
}

TEST_F(MainWindowTest, UnreachableConfigurationShowsTheNetworkFailure) {
  TestMainWindow window(4242, 7);  // the configuration service has no document for this channel
  Script script([&] { window.EndDialog(-1); });
  script.Then([&] { return window.Shown(id::kFailedPage); }).Do([&] {
    EXPECT_EQ(window.TextOf(id::kFailedText), FailedPageFor(kFailedNetwork).text);
    EXPECT_EQ(window.TextOf(id::kFailedButtonText), FailedPageFor(kFailedNetwork).button);
    EXPECT_EQ(window.Tip(), L"下载失败");
    Click(window, id::kCloseButton);  // on the failed page: no question
  });
  EXPECT_EQ(Run(window, script), 0);
  EXPECT_EQ(window.leave_questions, 0);
  EXPECT_FALSE(window.Shown(id::kStartPage));
}

TEST_F(MainWindowTest, InstallerFailureAndASilentInstaller) {
  Configure(Tryno(Entry(m_packages.exe, "param=\"mode=fail\"")));
  {
    TestMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); });
    EXPECT_EQ(Run(window, script), 2);
    EXPECT_TRUE(window.Shown(id::kFailedPage)) << "1137 showed the failed page before stage 5 ended the window";
    EXPECT_EQ(window.TextOf(id::kFailedText), FailedPageFor(kFailedInstall).text);
    EXPECT_EQ(window.Tip(), L"安装失败");
  }
  // An installer that never reports: the display holds at 10 %.
  ForgetInstallState();
  Configure(Tryno(Entry(m_packages.exe, "param=\"mode=silent\"")));
  TestMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
      .Then([&] { return window.SimulatedPercent() == 10; })
      .Do([&] {
        EXPECT_EQ(window.TextOf(id::kInstallText), InstallProgressText(10));
        EXPECT_TRUE(window.Disabled(id::kCloseButton));
        ::SendMessageW(window.Hwnd(), WM_CLOSE, 0, 0);  // the close button is disabled meanwhile
      });
  EXPECT_EQ(Run(window, script), 0);
  EXPECT_EQ(window.SimulatedPercent(), 10);
}

// Records every download-progress percent the window shows.
class ProgressRecordingWindow : public TestMainWindow {
 public:
  using TestMainWindow::TestMainWindow;
  std::vector<WPARAM> percents;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override {
    if (message == kMsgDownloadProgress) percents.push_back(wparam);
    return TestMainWindow::OnMessage(message, wparam, lparam, handled);
  }
};

TEST_F(MainWindowTest, TheSecondPackageShowsItsOwnProgress) {
  // Two packages trickled over about a second each; their MD5s are wrong, so
  // the road ends on the failed page after both downloads.
  const std::string wrong(32, '0');
  const std::string run = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
  Configure(Tryno(FilePeerEntry("/trickle/200000/200000/first-" + run, wrong, "", "%TEMP%\\twtwo\\a_????.dll") +
                  FilePeerEntry("/trickle/200000/200000/second-" + run, wrong, "", "%TEMP%\\twtwo\\b_????.dll")));
  ProgressRecordingWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
      .Then([&] { return window.Shown(id::kFailedPage); })
      .Do([&] { Click(window, id::kCloseButton); });
  EXPECT_EQ(Run(window, script), 0);
  const auto first_done = std::find(window.percents.begin(), window.percents.end(), 100u);
  ASSERT_NE(first_done, window.percents.end()) << "the first package finished";
  EXPECT_TRUE(std::any_of(first_done, window.percents.end(), [](WPARAM p) { return p > 0 && p < 100; }))
      << "the second package's progress showed on its way to 100 %";
}

TEST_F(MainWindowTest, AgreeingWhileInitRunsThenLeavingStartsNoDownload) {
  Configure(Tryno(Entry(m_packages.exe)));
  Post("/_peer/silent?part=unioncfg&seconds=2", "");  // Init waits 2 s for the union file
  {
    TestMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); }).Do([&] {
      Click(window, id::kCloseButton);
    });  // agree, then leave (confirmed)
    EXPECT_EQ(Run(window, script), 0);
    EXPECT_TRUE(window.UserActions().leaving_confirmed);
  }  // the window waits for its worker to end
  Post("/_peer/silent", "");
  EXPECT_EQ(StepRecords(11, 0), 1u) << "Init ran to its end";
  EXPECT_EQ(StepRecords(20, 0), 0u) << "but nothing after it: the user had left";
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"table\":7787"), 1u) << "the UI record, sent after the worker ended";
}

// Leaving during the download cancels it but keeps what came, in the work
// folder under the package's MD5 (before, it was deleted); the next run's
// page starts from that share, marked continuing, and the download ends.
TEST_F(MainWindowTest, LeavingDuringTheDownloadKeepsItsBytesForTheNextRun) {
  const std::string run = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount());
  const std::string md5 = PatternMd5(400000);
  Configure(Tryno(FilePeerEntry("/trickle/400000/100000/leave-" + run, md5, "", "%TEMP%\\twleave\\leave_????.dll")));
  std::wstring lower(md5.begin(), md5.end());
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  const std::wstring partial = win::WorkFolder().value_or(L"?") + lower + L".part";
  ::DeleteFileW(partial.c_str());
  {
    TestMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
        .Then([&] { return window.Tip().find(L"已下载") != std::wstring::npos; })
        .Do([&] { Click(window, id::kCloseButton); });
    EXPECT_EQ(Run(window, script), 0);
    EXPECT_TRUE(window.UserActions().leaving_confirmed);
  }  // the worker ends with the window
  const int64_t kept = win::FileSize(partial).value_or(0);
  EXPECT_GT(kept, 0) << "what came is kept";
  EXPECT_LT(kept, 400000);
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"table\":7787"), 1u) << "the UI record";

  std::wstring first_text;
  TestMainWindow again(1029, 7);
  Script script([&] { again.EndDialog(-1); });
  script.Do([&] { Click(again, id::kAgreeAndInstallButton); })
      .Then([&] {
        const std::wstring text = again.TextOf(id::kDownloadText);
        return text.rfind(L"继续下载", 0) == 0 ||
               (text.find(L"%") != std::wstring::npos && text.find(L" 0%") == std::wstring::npos);
      })
      .Do([&] { first_text = again.TextOf(id::kDownloadText); })
      .Then([&] { return StepRecords(41, 0) == 1u; })
      .Do([&] { again.EndDialog(0); });
  EXPECT_EQ(Run(again, script), 0);
  EXPECT_EQ(first_text.rfind(L"继续下载", 0), 0u) << test::Narrow(first_text);
  EXPECT_EQ(StepRecords(41, 0), 1u) << "the continued package verified";
}

using test::QuietMainWindow;

// The product's installer left its reboot key (as the installer stand-in's
// needreboot=1 does); the road is left out and its outcome posted.
TEST_F(MainWindowTest, APendingRebootIsAnnouncedOnTheFinishedPageAndWhenLeaving) {
  ASSERT_TRUE(test::CreateRegKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus\\TwNeedReboot"));
  {
    QuietMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
        .Do([&] { ::PostMessageW(window.Hwnd(), kMsgInstallSucceeded, 0, 0); })
        .Then([&] { return window.Shown(id::kFinishedPage); })
        .Do([&] { Click(window, id::kFinishedButton); });
    EXPECT_EQ(Run(window, script), 0);
    EXPECT_EQ(window.reboot_notices, 1) << "the finished page's button announces the reboot";
  }
  QuietMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kCloseButton); });
  EXPECT_EQ(Run(window, script), 0);
  EXPECT_EQ(window.reboot_notices, 1) << "leaving announces the reboot";
  EXPECT_EQ(window.leave_questions, 0) << "and asks nothing";
}

class MainWindowPictures : public testing::Test {
 protected:
  void SetUp() override { test::UseInstallerResources(); }
  void TearDown() override {
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                         L"TWAV7NEEDREBOOT");
  }
  static std::function<void()> Picture(TestMainWindow& window, const char* name) {
    return [&window, name] {
      auto image = ux::win::PrintWindowPixels(window.Hwnd());
      ASSERT_NE(image, nullptr);
      EXPECT_TRUE(test::MatchesPicture(*image, name, test::WindowPictures()));
    };
  }
  static void Post(TestMainWindow& window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    ::SendMessageW(window.Hwnd(), message, wparam, lparam);
  }
};

TEST_F(MainWindowPictures, EveryPage) {
  QuietMainWindow window(1029, 7);
  window.browse_result = L"C:\\" + std::wstring(160, L'x') + L"\\";
  Script script([&] { window.EndDialog(-1); });
  script.Do(Picture(window, "start")).Do([&] { Click(window, id::kCustomInstallButton); }).Do(Picture(window, "panel"));
  const wchar_t* errors[] = {L"C:", L"N:\\share", L"C:\\a?b", L"F:\\full"};
  for (int code = 1; code <= 4; ++code) {
    static const char* names[] = {"", "path_error_1", "path_error_2", "path_error_3", "path_error_4"};
    script.Do([&window, path = errors[code - 1]] { test::TypePath(window.PathBox(), path); })
        .Then([&window, code] { return window.Shown(150 + code); })
        .Do(Picture(window, names[code]));
  }
  script.Do([&] { Click(window, id::kBrowseButton); })
      .Then([&] { return window.Shown(id::kPathErrorTextBase + kPathTooLong); })
      .Do(Picture(window, "path_error_5"))
      .Do([&] { Click(window, id::kRestoreDefaultPathButton); })
      .Do([&] { Click(window, id::kAgreeAndInstallButton); })
      .Do([&] { Post(window, kMsgDownloadProgress, 40, 1536); })
      .Do(Picture(window, "downloading_40"))
      .Do([&] {
        EXPECT_EQ(window.TextOf(id::kDownloadText), L"已下载 40%，下载速度 1.5M/秒");
        EXPECT_EQ(window.Tip(), L"已下载：40%");
        Post(window, kMsgDownloadFinished);
      })
      .Do(Picture(window, "installing"))
      .Do([&] { Post(window, kMsgInstallSucceeded); })
      .Do(Picture(window, "finished"))
      .Do([&] { Click(window, id::kFinishedButton); });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);
}

TEST_F(MainWindowPictures, FailedPages) {
  {
    QuietMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Post(window, kMsgFailedPage); }).Do(Picture(window, "failed_network")).Do([&] {
      Click(window, id::kFailedButton);
    });
    script.Start();
    EXPECT_EQ(window.DoModal(nullptr), 0);
    EXPECT_TRUE(window.opened_pages.empty()) << "the network failure offers no customer service";
  }
  {
    QuietMainWindow window(1029, 7);
    Script script([&] { window.EndDialog(-1); });
    script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
        .Do([&] { Post(window, kMsgInstallFailed); })
        .Do(Picture(window, "failed_install"))
        .Do([&] { Click(window, id::kFailedButton); });
    script.Start();
    EXPECT_EQ(window.DoModal(nullptr), 0);
    ASSERT_EQ(window.opened_pages.size(), 1u);
    EXPECT_NE(window.opened_pages[0].find(L"/FDdK6y0s?_type=wpa&qidian=true"), std::wstring::npos);
  }
  ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"TWAV7NEEDREBOOT",
                    REG_SZ, L"1", 4);
  QuietMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do(Picture(window, "failed_reboot")).Do([&] {
    EXPECT_EQ(window.PathBox(), nullptr) << "no path box with a pending reboot";
    Click(window, id::kCloseButton);
  });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);
}

TEST_F(MainWindowPictures, HostileMessagesAndAGarbledContactFile) {
  // A customer-service file of garbage gives the built-in link.
  const std::wstring data = test::ProgramDir() + L"data";
  ::CreateDirectoryW(data.c_str(), nullptr);
  // Every byte of it, the NUL in the middle and what follows included.
  static constexpr char kGarbage[] = "\x01\xFF[FeedBack\nVipMarketQQLink\x00=\n\n[[[]]]===";
  const std::string garbage(kGarbage, sizeof kGarbage - 1);
  ASSERT_GT(garbage.find("[[[]]]"), garbage.find('\0'));
  test::WriteWholeFile(data + L"\\operation_contact.dat", garbage);
  QuietMainWindow window(1029, 7);
  Script script([&] { window.EndDialog(-1); });
  script.Do([&] { Click(window, id::kAgreeAndInstallButton); })
      .Do([&] {
        // Unknown stages change nothing; a flood of progress leaves the last word.
        for (WPARAM stage : {0u, 6u, 99u, 0xFFFFFFFFu}) Post(window, kMsgInstallerStage, stage);
        for (int i = 0; i < 3000; ++i) ::PostMessageW(window.Hwnd(), kMsgDownloadProgress, i % 101, i);
        ::PostMessageW(window.Hwnd(), kMsgDownloadProgress, 40, 1536);
      })
      .Then([&] { return window.TextOf(id::kDownloadText) == L"已下载 40%，下载速度 1.5M/秒"; })
      .Do([&] {
        EXPECT_EQ(window.SimulatedPercent(), 0);
        EXPECT_TRUE(window.Shown(id::kProgressPage));
        Post(window, kMsgInstallFailed);
        Click(window, id::kFailedButton);
      });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);
  ASSERT_EQ(window.opened_pages.size(), 1u);
  EXPECT_NE(window.opened_pages[0].find(L"/FDdK6y0s?_type=wpa&qidian=true"), std::wstring::npos);
  ::DeleteFileW((data + L"\\operation_contact.dat").c_str());
  ::RemoveDirectoryW(data.c_str());
}

}  // namespace
}  // namespace tw
