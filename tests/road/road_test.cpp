// The install road driven headlessly, the way the main window's worker will
// drive it: Init, RunDetector(3), RunDetector(4), Uninit against the
// configuration, file and telemetry peers and the product installer peer,
// with a real hidden window as the installer's feedback target.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include <windows.h>
#include <curl/curl.h>

#include <algorithm>
#include <ctime>
#include <optional>

#include "install/tw_main_win.h"
#include "platform/tw_md5.h"
#include "platform/win/private_folder_win.h"
#include "tests/road/road_fixture.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

using namespace tw::test::road;

class RoadTest : public testing::Test {
 protected:
  void SetUp() override {
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
    const Packages packages = PublishPackages();
    m_exe = packages.exe;
    m_dll = packages.dll;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TwRoadTestWindow";
    ::RegisterClassW(&windowClass);
    m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
  }
  void TearDown() override {
    ::DestroyWindow(m_window);
    ForgetInstallState();
  }

  // Messages from the product installer until its stage 5 (bounded).
  std::vector<std::pair<UINT, WPARAM>> Feedback() {
    std::vector<std::pair<UINT, WPARAM>> received;
    const UINT_PTR timer = ::SetTimer(m_window, 1, 60000, nullptr);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_TIMER) break;
      if (message.hwnd == m_window && message.message >= WM_USER + 109 && message.message <= WM_USER + 113) {
        received.emplace_back(message.message - WM_USER, message.wParam);
        if (message.message == WM_USER + 109 && message.wParam == 5) break;
      }
      ::DispatchMessageW(&message);
    }
    ::KillTimer(m_window, timer);
    return received;
  }

  TwMain::Hooks Draw(int draw) {
    TwMain::Hooks hooks;
    hooks.draw = [draw] { return draw; };
    return hooks;
  }

  Package m_exe, m_dll;
  HWND m_window = nullptr;
};

TEST_F(RoadTest, AnExeAndADllPackageInstallAndTheInstallerReports) {
  Configure(Tryno(Entry(m_exe) + Entry(m_dll)));
  TwMain road(Draw(45));
  road.SetWindow(m_window);
  road.SetInstallPath(L"C:\\Program Files\\Zorn");
  road.SetCommandLinePrefix(L"/rcmdfromtwinst /rcmdCanRcmd=0");
  ASSERT_EQ(road.Init(1029, 7), 1);
  ASSERT_EQ(road.RunDetector(3), 1);
  ASSERT_EQ(road.RunDetector(4), 1);
  EXPECT_EQ(Feedback(),
            (std::vector<std::pair<UINT, WPARAM>>{{109, 1}, {109, 2}, {109, 3}, {109, 4}, {112, 0}, {109, 5}}));
  EXPECT_EQ(road.GetNoInstallDialogFlag(), 1);
  road.Uninit();

  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::string recorded = test::ReadWholeFile(std::wstring(temp) + L"tw_product_installer.txt");
  wchar_t hwnd[16];
  std::swprintf(hwnd, 16, L"%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(m_window)));
  EXPECT_NE(recorded.find("\" /rcmdfromtwinst /rcmdCanRcmd=0 /autoinstall ##silence=0&installpath=\"C:\\Program "
                          "Files\\Zorn\"&hwnd=" +
                          test::Narrow(hwnd) + "&noshowinstalldlg=1"),
            std::string::npos)
      << recorded;
  for (const auto& [step, result] :
       std::vector<std::pair<int, int>>{{0, 0}, {11, 0}, {20, 0}, {21, 0}, {30, 0}, {40, 0}, {50, 0}}) {
    EXPECT_EQ(StepRecords(step, result), 1u) << "step " << step;
  }
  EXPECT_EQ(StepRecords(31, 0), 2u);
  EXPECT_EQ(StepRecords(41, 0), 2u);
  EXPECT_EQ(StepRecords(51, 0), 2u);
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"detail_step\":60"), 2u) << "the dll package's two details";

  // The log, in the users' code page, in the road's order.
  const std::string log = test::ReadWholeFile(std::wstring(temp) + L"twinst.log");
  size_t at = 0;
  for (const std::string& line :
       {std::string("TwMain::_Init nCompanyID = 1029 nTrynoID = 7\r\n"),
        std::string("\xBC\xEC\xB2\xE2\xC6\xF7\xC6\xF4\xB6\xAF\r\n"), std::string("_RunDetector start nAction = 3\r\n"),
        std::string("_DownloadSinglePacket_begin: url = "), std::string("_RunDetector end nAction = 3\r\n"),
        std::string("_RunDetector start nAction = 4\r\n"), std::string("_RunDetector end nAction = 4\r\n")}) {
    const size_t found = log.find(line, at);
    EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line;
    if (found != std::string::npos) at = found;
  }
}

// Another process of the user (the download folder is theirs) tries to put
// its own program in the verified package's place just before the launch.
TEST_F(RoadTest, AVerifiedPackageCannotBeSwappedBeforeItStarts) {
  const std::wstring recorded = ProductInstallerRecord();
  ::DeleteFileW(recorded.c_str());
  Configure(Tryno(Entry(m_exe)));
  std::optional<DWORD> tampered;
  TwMain::Hooks hooks = Draw(45);
  hooks.beforeLaunch = [&tampered](const std::wstring& package) {
    const std::wstring helper = test::ProgramDir() + L"tw_test_helper.exe";
    tampered = test::RunProcess(L"\"" + helper + L"\" tamper \"" + package + L"\" \"" + helper + L"\"");
  };
  TwMain road(hooks);
  road.SetWindow(m_window);
  ASSERT_EQ(road.Init(1029, 7), 1);
  ASSERT_EQ(road.RunDetector(3), 1);
  ASSERT_EQ(road.RunDetector(4), 1);
  EXPECT_EQ(tampered, std::optional<DWORD>(0)) << "bits: 1 overwritten, 2 renamed away, 4 deleted";
  const auto feedback = Feedback();
  EXPECT_NE(std::find(feedback.begin(), feedback.end(), std::make_pair(UINT{112}, WPARAM{0})), feedback.end())
      << "the verified product installer ran";
  EXPECT_FALSE(test::ReadWholeFile(recorded).empty());
  road.Uninit();
}

// The held package cannot be renamed, but its folder can be (under Wine; a
// folder of the user's): another process moves the folder away and puts a
// program of its own at the package's name. Only the verified file starts,
// by the name its handle has, and only while that name leads to it: here
// nothing starts (316), and the other program is neither started nor deleted.
TEST_F(RoadTest, APackagesFolderSwappedBeforeTheLaunchStartsNothingElse) {
  const std::wstring recorded = ProductInstallerRecord();
  ::DeleteFileW(recorded.c_str());
  Configure(Tryno(Entry(m_exe)));
  std::wstring package, moved;
  TwMain::Hooks hooks = Draw(45);
  hooks.beforeLaunch = [&package, &moved](const std::wstring& verified) {
    package = verified;
    const std::wstring folder = package.substr(0, package.find_last_of(L'\\'));
    moved = folder + L".moved";
    ASSERT_TRUE(::MoveFileW(folder.c_str(), moved.c_str())) << ::GetLastError();
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW((test::ProgramDir() + L"tw_test_helper.exe").c_str(), package.c_str(), FALSE));
  };
  TwMain road(hooks);
  road.SetWindow(m_window);
  ASSERT_EQ(road.Init(1029, 7), 1);
  ASSERT_EQ(road.RunDetector(3), 1);
  EXPECT_EQ(road.RunDetector(4), 0);
  EXPECT_EQ(StepRecords(51, 316), 1u) << "refused: the name no longer leads to the verified file";
  EXPECT_TRUE(test::ReadWholeFile(recorded).empty()) << "the verified product installer did not start either";
  EXPECT_EQ(test::ReadWholeFile(package), test::ReadWholeFile(test::ProgramDir() + L"tw_test_helper.exe"))
      << "the other program is left where it was put";
  road.Uninit();
  std::error_code ignored;
  std::filesystem::remove_all(moved, ignored);
  ::DeleteFileW(package.c_str());
}

TEST_F(RoadTest, NodeSelectionAndChannelDefaults) {
  Configure(Tryno(Entry(m_dll)));
  {
    TwMain road(Draw(45));
    EXPECT_EQ(road.Init(1029, 9), 0) << "no node for trial 9";
    EXPECT_EQ(StepRecords(11, 150), 1u);
  }
  Configure(Tryno(Entry(m_dll), "", 1), "", 1);
  TwMain road(Draw(45));
  EXPECT_EQ(road.Init(0, 0), 1) << "cid and tid 0 become 1 and 1";
  EXPECT_NE(test::PeerRecords().find(L"\"company_id\":1,"), std::wstring::npos);
  road.Uninit();
}

TEST_F(RoadTest, ADrawOutsideTheRangeSkipsThePackageInEveryStep) {
  Configure(Tryno(Entry(m_dll, "abtestrange=\"30,60\"")));
  TwMain road(Draw(61));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.RunDetector(1), 0);
  EXPECT_EQ(road.RunDetector(2), 0);
  EXPECT_EQ(road.RunDetector(4), 0);
  EXPECT_EQ(StepRecords(31, 261), 1u);
  EXPECT_EQ(StepRecords(41, 263), 1u);
  EXPECT_EQ(StepRecords(51, 262), 1u);
}

TEST_F(RoadTest, AFailedFirstPackageAndAGoodSecond) {
  // A digest of the right form that is not the package's, and one that is
  // not even 32 hexadecimal digits (it names no partial file): each is
  // downloaded and fails its verification; the good package installs.
  for (const char* wrong : {"00000000000000000000000000000000", "not-a-digest"}) {
    SCOPED_TRACE(wrong);
    test::ResetTelemetryPeer();
    Package broken = m_dll;
    broken.md5 = wrong;
    Configure(Tryno(Entry(broken) + Entry(m_dll)));
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    EXPECT_EQ(road.RunDetector(3), 1) << "the second package verifies";
    EXPECT_EQ(road.RunDetector(4), 1);
    EXPECT_EQ(StepRecords(31, 0), 2u) << "both downloaded";
    EXPECT_EQ(StepRecords(41, 251), 1u);
    EXPECT_EQ(StepRecords(51, 305), 1u);
    EXPECT_EQ(StepRecords(51, 0), 1u);
    road.Uninit();
    ForgetInstallState();
  }
}

TEST_F(RoadTest, VerificationDeletesOnlyWhatThisRunDownloaded) {
  // The first package is skipped by its condition; a file at its path (a copy
  // an earlier install kept) is not this run's. The second arrives with a
  // wrong MD5, so no package verifies.
  const std::wstring folder = win::WorkFolder().value_or(L"?");
  const std::wstring kept = folder + L"kept.dll";
  test::WriteWholeFile(kept, "an earlier install's copy");
  const std::string check =
      R"(<item id="1" name="x" value="1"><leaf id="1" mode="service" name="TwNoSuchService"/></item>)";
  Configure(Tryno(FilePeerEntry("/file/1000/keep", PatternMd5(1000), "condition=\"1\"", "%TEMP%\\twkeep\\kept.dll") +
                  FilePeerEntry("/file/2000/bad", std::string(32, '0'), "", "%TEMP%\\twkeep\\bad.dll")),
            check);
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    EXPECT_EQ(road.RunDetector(3), 0) << "nothing verifies";
  }
  EXPECT_EQ(test::ReadWholeFile(kept), "an earlier install's copy") << "the skipped package's file stays";
  EXPECT_EQ(::GetFileAttributesW((folder + L"bad.dll").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the download that failed verification goes";
  ::DeleteFileW(kept.c_str());
}

TEST_F(RoadTest, OnlyASilentRunWaitsEachEntrysDelayBeforeItsDownload) {
  Configure(Tryno(Entry(m_dll, "delaytime=\"2\"") + Entry(m_exe)));
  for (const bool silent : {true, false}) {
    std::vector<DWORD> slept;
    TwMain::Hooks hooks = Draw(45);
    hooks.silent = [silent] { return silent; };
    hooks.sleep = [&slept](DWORD ms) { slept.push_back(ms); };
    TwMain road(hooks);
    ASSERT_EQ(road.Init(1029, 7), 1);
    EXPECT_EQ(road.RunDetector(kCheckAndDownload), 1);
    EXPECT_EQ(slept, silent ? std::vector<DWORD>{120000} : std::vector<DWORD>{})
        << (silent ? "two minutes before the first entry only" : "a run with a window never waits");
  }
}

TEST_F(RoadTest, CheckConditionAnswersByItemAndReportsIt) {
  // Check item 1 looks for an event nobody made, item 2 for one this test holds.
  const win::UniqueHandleObject present(::CreateEventW(nullptr, TRUE, FALSE, L"TwRoadConditionEvent"));
  ASSERT_TRUE(present);
  const std::string check =
      R"(<item id="1" name="absent" value="1"><leaf id="1" mode="kernelobject" type="event" name="TwRoadNoEvent"/></item>)"
      R"(<item id="2" name="present" value="1"><leaf id="1" mode="kernelobject" type="event" name="TwRoadConditionEvent"/></item>)";
  Configure(Tryno(Entry(m_dll)), check, 1029, R"(<item id="5" expression="2"/><item id="6" expression="1&amp;2"/>)");
  TwMain road(Draw(45));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.CheckCondition(5), 1);
  EXPECT_EQ(road.CheckCondition(6), 0);
  EXPECT_EQ(road.CheckCondition(99), 0) << "no such item";
  EXPECT_EQ(StepRecords(60, 0), 3u);
  EXPECT_EQ(StepRecords(61, 0), 1u);
  EXPECT_EQ(StepRecords(61, 200), 1u) << "the false expression";
  EXPECT_EQ(StepRecords(61, 207), 1u) << "the missing item";
}

class CountingSink : public IDownloadCallback {
 public:
  int32_t OnDownloadProgress(uint32_t, double, int32_t) override { return ++calls, 0; }
  int calls = 0;
};

TEST_F(RoadTest, OnlyTheProgressSinksOwnIdentifierIsAccepted) {
  Configure(Tryno(Entry(m_dll)));
  const GUID other = {0xf7256169, 0x7030, 0x4483, {0xa3, 0xfb, 0x83, 0xf4, 0xd0, 0x1b, 0xf3, 0x03}};
  CountingSink refused, accepted;
  TwMain road(Draw(45));
  EXPECT_EQ(road.SetProgressSink(other, &refused), E_FAIL);
  ASSERT_EQ(road.Init(1029, 7), 1);
  ASSERT_EQ(road.RunDetector(kCheckAndDownload), 1);
  EXPECT_EQ(refused.calls, 0) << "a sink offered under another identifier hears nothing";

  ForgetInstallState();
  TwMain second(Draw(45));
  EXPECT_EQ(second.SetProgressSink(kProgressSinkId, &accepted), S_OK);
  ASSERT_EQ(second.Init(1029, 7), 1);
  ASSERT_EQ(second.RunDetector(kCheckAndDownload), 1);
  EXPECT_GT(accepted.calls, 0);
}

TEST_F(RoadTest, ACachedPackageIsNotDownloadedAgain) {
  Configure(Tryno(Entry(m_dll, "ndp=\"1\"")));
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    ASSERT_EQ(road.RunDetector(3), 1);
  }
  Package gone = m_dll;
  gone.file = "no-longer-served.dll";
  Configure(Tryno(Entry(gone, "ndp=\"1\"")));
  TwMain road(Draw(45));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.RunDetector(3), 1) << "taken from the registry cache";
  EXPECT_EQ(road.RunDetector(4), 1) << "installed from the cached path";
}

// The package cache names a file outside the work folder: a process of the
// user wrote it (on Windows into HKCU\Software\Classes, which the merged
// HKEY_CLASSES_ROOT prefers; Wine does not merge the two, so the machine's
// own classes are planted too). It is a copy of the published package, so
// its MD5 matches. Before, the cached file was started from where it lay and
// a run that found it not matching deleted it; now it is neither started nor
// touched, the package is downloaded anew into the work folder and started
// from there.
TEST_F(RoadTest, ACachedPathOutsideTheWorkFolderIsNeitherStartedNorDeleted) {
  const std::wstring recorded = ProductInstallerRecord();
  ::DeleteFileW(recorded.c_str());
  const std::wstring elsewhere =
      recorded.substr(0, recorded.find_last_of(L'\\') + 1) + L"twplanted_installer.exe";  // in %TEMP%
  const std::string bytes = test::ReadWholeFile(test::ProgramDir() + L"tw_product_installer.exe");
  ASSERT_TRUE(test::WriteWholeFile(elsewhere, bytes));
  const std::wstring machineKey = std::wstring(L"SOFTWARE\\Classes\\") + kCacheKey;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    ASSERT_TRUE(test::SetRegString32(root, machineKey, L"PacketPath_1029_7_1", elsewhere));
  }
  Configure(Tryno(Entry(m_exe)));
  TwMain road(Draw(45));
  road.SetWindow(m_window);
  ASSERT_EQ(road.Init(1029, 7), 1);
  ASSERT_EQ(road.RunDetector(3), 1);
  ASSERT_EQ(road.RunDetector(4), 1);
  const auto feedback = Feedback();
  road.Uninit();
  const std::string started = test::ReadWholeFile(recorded);
  const std::wstring work = win::WorkFolder().value_or(L"?");
  EXPECT_NE(started.find("\"" + test::Narrow(work)), std::string::npos) << "started from the work folder: " << started;
  EXPECT_EQ(started.find("twplanted_installer"), std::string::npos) << started;
  EXPECT_EQ(test::ReadWholeFile(elsewhere), bytes) << "the file named in the cache is untouched";
  EXPECT_EQ(test::RegString32(HKEY_CURRENT_USER, machineKey, L"PacketPath_1029_7_1"), elsewhere)
      << "the user's classes are not written";
  ::DeleteFileW(elsewhere.c_str());
  test::DeleteRegTree32(HKEY_CURRENT_USER, machineKey);
}

// Kept bytes are bounded: at Init, partial files no package of the node
// wants and any older than seven days go; a recent one of this node's
// package stays for its download to continue.
TEST_F(RoadTest, InitRemovesPartialFilesNoPackageWantsOrTooOld) {
  Configure(Tryno(Entry(m_exe)));
  const std::wstring work = win::WorkFolder().value_or(L"?");
  std::wstring own(m_exe.md5.begin(), m_exe.md5.end());
  for (wchar_t& c : own) c = static_cast<wchar_t>(towlower(c));
  const std::wstring unwanted = work + std::wstring(32, L'f') + L".part";
  const std::wstring recent = work + own + L".part";
  for (const std::wstring& path : {unwanted, unwanted + L".txt", recent, recent + L".txt"}) {
    ASSERT_TRUE(test::WriteWholeFile(path, "kept"));
  }
  auto exists = [](const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    road.Uninit();
  }
  EXPECT_FALSE(exists(unwanted));
  EXPECT_FALSE(exists(unwanted + L".txt"));
  EXPECT_TRUE(exists(recent)) << "this node's package continues it";
  EXPECT_TRUE(exists(recent + L".txt"));

  // Eight days untouched: too old to continue.
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER then{{now.dwLowDateTime, now.dwHighDateTime}};
  then.QuadPart -= 8ULL * 86400 * 10000000;
  const FILETIME old{then.LowPart, then.HighPart};
  for (const std::wstring& path : {recent, recent + L".txt"}) {
    const win::UniqueFile file(
        ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file && ::SetFileTime(file.Get(), nullptr, nullptr, &old));
  }
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    road.Uninit();
  }
  EXPECT_FALSE(exists(recent));
  EXPECT_FALSE(exists(recent + L".txt"));
}

TEST_F(RoadTest, EnvironmentChecks) {
  const std::string check =
      R"(<item id="1" name="x" value="1"><leaf id="1" mode="service" name="TwNoSuchService"/></item>)";
  Configure(Tryno(Entry(m_dll), "condition=\"1\""), check);
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    EXPECT_EQ(road.RunDetector(3), 0);
    EXPECT_EQ(StepRecords(21, 200), 1u) << "the node's condition is false";
  }
  const DWORD twoDaysAgo = static_cast<DWORD>(std::time(nullptr)) - 2 * 86400;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus", L"uninstall_time", REG_DWORD,
                              &twoDaysAgo, 4),
            ERROR_SUCCESS);
  Configure(Tryno(Entry(m_dll), "Interval=\"30\""));
  TwMain road(Draw(45));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.RunDetector(3), 0);
  EXPECT_EQ(StepRecords(21, 352), 1u) << "uninstalled two days ago, thirty required";

  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus", L"uninstall_time");
  const wchar_t* idexKey =
      L"CLSID\\{9B7A98EC-7EF9-468c-ACC8-37C793DBD7E0}\\Implemented Categories\\{A5F7140E-4311-4ef9-AABC-F55941B5EBE5}";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CLASSES_ROOT, idexKey, L"uninstall_time", REG_DWORD, &twoDaysAgo, 4), ERROR_SUCCESS);
  TwMain second(Draw(45));
  ASSERT_EQ(second.Init(1029, 7), 1);
  EXPECT_EQ(second.RunDetector(3), 0);
  EXPECT_EQ(StepRecords(21, 358), 1u) << "the same from the second location";
  ::RegDeleteKeyValueW(HKEY_CLASSES_ROOT, idexKey, L"uninstall_time");
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST_F(RoadTest, ATimedOutDownloadIsRetriedOnlyWithSd) {
  Configure(Tryno(FilePeerEntry("/trickle/20000/5000/road", PatternMd5(20000), "downloadtime=\"1\" sd=\"0\"")));
  {
    TwMain road(Draw(45));
    ASSERT_EQ(road.Init(1029, 7), 1);
    EXPECT_EQ(road.RunDetector(1), 0) << "sd 0: the time-out stands";
    EXPECT_EQ(StepRecords(31, 250), 1u);
    EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"detail_kind\":1,\"detail_step\":40"), 0u);
  }
  test::ResetTelemetryPeer();
  Configure(Tryno(FilePeerEntry("/trickle/20000/5000/road2", PatternMd5(20000), "downloadtime=\"1\" sd=\"1\"")));
  TwMain road(Draw(45));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.RunDetector(3), 1) << "sd 1 and a reachable probe: the resumable downloader finishes it";
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"detail_kind\":1,\"detail_step\":40"), 1u)
      << test::Narrow(test::PeerRecords());
  EXPECT_NE(test::PeerRecords().find(L"\"value_a\":28"), std::wstring::npos);
}

TEST_F(RoadTest, HostileServersAndBrokenPackages) {
  Package missingEntry = m_dll;
  missingEntry.extra = "funcname=\"NoSuchEntry\"";
  Configure(Tryno(FilePeerEntry("/loop/road", "00000000000000000000000000000000", "") + Entry(missingEntry)));
  TwMain road(Draw(45));
  ASSERT_EQ(road.Init(1029, 7), 1);
  EXPECT_EQ(road.RunDetector(3), 1) << "the redirect loop fails, the other package goes on";
  EXPECT_EQ(StepRecords(31, 250), 1u);
  EXPECT_NE(test::PeerRecords().find(L"\"value_a\":47"), std::wstring::npos) << "too many redirects, reported";
  EXPECT_EQ(road.RunDetector(4), 0) << "the only package left has no such entry function";
  EXPECT_EQ(StepRecords(51, 312), 1u);
}

}  // namespace
}  // namespace tw
