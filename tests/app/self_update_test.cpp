// Self-update against the configuration peer's update service: the newer
// copy (a test program) is downloaded, verified, cached and started.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "app/self_update.h"
#include "platform/tw_md5.h"
#include "platform/win/private_folder_win.h"
#include "telemetry/reports.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/peer_http_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

// The machine's own class registrations, never the user's.
constexpr wchar_t kCacheKey[] =
    L"SOFTWARE\\Classes\\CLSID\\{79B5BC47-CEA1-4772-B433-7D1B3139F278}\\Implemented "
    L"Categories\\{607568DD-B059-434b-B7E7-38EC51998F8E}";

// The INI is served signed with the deployment's key unless `form` says
// "plain" (as posted) or "forged" (signed with another key).
void Post(const char* part, const std::string& body, const char* form = "signed") {
  test::DirectPost(std::string("http://127.0.0.1:18080/_peer/update?part=") + part + "&form=" + form, body);
}

int DrawZero() { return 0; }

class SelfUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
    // A machine where no product of the family registered yet: the cache's
    // key is made by the first copy cached.
    test::DeleteRegTree32(HKEY_LOCAL_MACHINE, kCacheKey);
    m_newer = test::ReadWholeFile(test::ProgramDir() + L"tw_test_helper.exe");
    uint8_t digest[kMd5Size];
    Md5Buffer(m_newer.data(), m_newer.size(), digest);
    m_md5 = Md5Hex(digest, false);
    Post("exe", m_newer);
    SetUpdateDrawForTest(&DrawZero);
  }
  void TearDown() override {
    Post("ini", "");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kCacheKey, L"UiExePath");
    SetUpdateDrawForTest(nullptr);
    SetRunningVersionForTest(0);
  }
  void Ini(const std::string& url, const std::string& md5, const std::string& dir, int probability,
           const char* form = "signed") {
    Post("ini",
         "[UiExe]\r\nurl=" + url + "\r\nmd5=" + md5 + "\r\ndir=" + dir +
             "\r\nprobability=" + std::to_string(probability) + "\r\n",
         form);
  }
  void Offer(int probability = 10000, const char* form = "signed") {
    Ini("http://127.0.0.1:18080/update/newer.exe", m_md5, "%TEMP%\\twupdate_test", probability, form);
  }
  static std::wstring Cached() {
    wchar_t path[MAX_PATH] = {};
    DWORD bytes = sizeof path;
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, kCacheKey, L"UiExePath", RRF_RT_REG_SZ, nullptr, path, &bytes) ==
                   ERROR_SUCCESS
               ? path
               : L"";
  }
  static size_t StageRecords(int stage) {
    return test::CountOf(test::PeerRecords(), L"\"stage\":" + std::to_wstring(stage) + L",");
  }

  std::string m_newer;
  std::string m_md5;
};

TEST_F(SelfUpdateTest, ANewerCopyIsDownloadedCachedAndStartedWithOurCommandLine) {
  Offer();
  ASSERT_TRUE(ShouldSwitchToUpdate());
  const std::wstring cached = Cached();
  // Our own name, in the work folder, whatever folder the INI gave.
  EXPECT_EQ(cached, win::WorkFolder().value_or(L"?") + L"launch_tests.bak.exe") << test::Narrow(cached);
  EXPECT_EQ(test::ReadWholeFile(cached), m_newer);

  // The newer copy names the event after the arguments it was given: only
  // our command line followed by -update:0 sets this one.
  const std::wstring name = L"TwUpdated" + std::to_wstring(::GetCurrentProcessId());
  {
    const win::UniqueHandleObject event(::CreateEventW(nullptr, TRUE, FALSE, (name + L"|-update:0").c_str()));
    EXPECT_TRUE(RunUpdatedCopy(L"set-event-with-arguments " + name));
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 0), WAIT_OBJECT_0)
        << "started with \"set-event-with-arguments NAME -update:0\" and waited for: the event is already set";
  }

  Post("exe", "");  // the service no longer has it: the cached copy is used
  EXPECT_TRUE(ShouldSwitchToUpdate());
  EXPECT_EQ(StageRecords(0), 2u) << "one update record per check";

  EXPECT_FALSE(::DeleteFileW(cached.c_str())) << "held from its verification until it has run";
  EXPECT_TRUE(RunUpdatedCopy(L"x"));
  EXPECT_TRUE(::DeleteFileW(cached.c_str())) << "let go once it ran";
  EXPECT_FALSE(RunUpdatedCopy(L"x")) << "nothing verified is held any more: carry on as ourselves";
}

// A process of the user names, in the newer copy's cache, a copy of the
// right bytes outside the work folder (into its own classes, and, since Wine
// does not merge them into HKEY_CLASSES_ROOT, the machine's). Before, the
// elevated installer verified and started that file; now the cache is not
// believed, and with the service no longer offering the copy, nothing starts.
TEST_F(SelfUpdateTest, ACachedCopyOutsideTheWorkFolderIsNotStarted) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring elsewhere = std::wstring(temp) + L"twplanted_update.exe";
  ASSERT_TRUE(test::WriteWholeFile(elsewhere, m_newer));
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    ASSERT_TRUE(test::SetRegString32(root, kCacheKey, L"UiExePath", elsewhere));
  }
  Post("exe", "");
  Offer();
  EXPECT_FALSE(ShouldSwitchToUpdate());
  EXPECT_FALSE(RunUpdatedCopy(L"x")) << "nothing is held to start";
  EXPECT_EQ(test::ReadWholeFile(elsewhere), m_newer) << "left as it was";
  ::DeleteFileW(elsewhere.c_str());
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kCacheKey, L"UiExePath");
}

// Only an INI signed with the deployment's key names a program to start: a
// plain one (anyone on the path of an http service can write it) or one
// signed with another key leaves this copy running, at stage 2.
TEST_F(SelfUpdateTest, OnlyASignedIniIsBelieved) {
  for (const char* form : {"plain", "forged"}) {
    Offer(10000, form);
    EXPECT_FALSE(ShouldSwitchToUpdate()) << form;
  }
  EXPECT_EQ(StageRecords(2), 2u);
  EXPECT_EQ(Cached(), L"") << "nothing was downloaded";
  Offer(10000, "signed");
  EXPECT_TRUE(ShouldSwitchToUpdate());
}

// The INI never touches the disk: a folder another process made where the
// INI file used to be written changes nothing.
TEST_F(SelfUpdateTest, TheIniIsReadInMemory) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring squatted = std::wstring(temp) + L"jcqgx.ini";
  ::CreateDirectoryW(squatted.c_str(), nullptr);
  Offer();
  EXPECT_TRUE(ShouldSwitchToUpdate());
  ::RemoveDirectoryW(squatted.c_str());
}

// Between its verification and its start, another process of the user
// cannot put a program of its own in the verified copy's place.
TEST_F(SelfUpdateTest, TheVerifiedCopyCannotBeSwappedBeforeItStarts) {
  Offer();
  ASSERT_TRUE(ShouldSwitchToUpdate());
  const std::wstring cached = Cached();
  const std::wstring helper = test::ProgramDir() + L"tw_test_helper.exe";
  const std::wstring other = test::ProgramDir() + L"version_sample.dll";
  EXPECT_EQ(test::RunProcess(L"\"" + helper + L"\" tamper \"" + cached + L"\" \"" + other + L"\""),
            std::optional<DWORD>(0))
      << "bits: 1 overwritten, 2 renamed away, 4 deleted";
  EXPECT_EQ(test::ReadWholeFile(cached), m_newer);
  EXPECT_TRUE(RunUpdatedCopy(L"x"));
}

// A signed INI can be replayed after the vendor published a newer one: a
// copy (tw_test_helper.exe, file version 2.0.0.0) that is not newer than
// the running one is verified but never started, whether downloaded or cached.
TEST_F(SelfUpdateTest, AnOlderSignedCopyIsNotStarted) {
  SetRunningVersionForTest(uint64_t{3} << 48);  // 3.0.0.0
  Offer();
  EXPECT_FALSE(ShouldSwitchToUpdate());
  EXPECT_FALSE(RunUpdatedCopy(L"x")) << "nothing is held to start";
  EXPECT_NE(test::PeerRecords().find(L"\"code\":357"), std::wstring::npos);
  SetRunningVersionForTest(uint64_t{2} << 48);  // the same version is not newer either
  EXPECT_FALSE(ShouldSwitchToUpdate());
  SetRunningVersionForTest(uint64_t{1} << 48);
  EXPECT_TRUE(ShouldSwitchToUpdate()) << "a newer copy still is";
}

TEST_F(SelfUpdateTest, EveryReasonToStayThisCopy) {
  Offer(0);
  EXPECT_FALSE(ShouldSwitchToUpdate()) << "probability 0 selects nobody";
  EXPECT_EQ(StageRecords(3), 1u);

  Ini("http://127.0.0.1:18080/update/newer.exe", "00000000000000000000000000000000", "%TEMP%\\twupdate_test", 10000);
  EXPECT_FALSE(ShouldSwitchToUpdate()) << "MD5 mismatch";
  EXPECT_EQ(StageRecords(5), 1u);
  EXPECT_EQ(Cached(), L"");

  Ini("", m_md5, "%TEMP%\\twupdate_test", 10000);
  EXPECT_FALSE(ShouldSwitchToUpdate());
  EXPECT_NE(test::PeerRecords().find(L"\"code\":354"), std::wstring::npos);

  Ini("http://127.0.0.1:18080/update/missing.exe", m_md5, "%TEMP%\\twupdate_test", 10000);
  EXPECT_FALSE(ShouldSwitchToUpdate()) << "download failed";
  EXPECT_EQ(StageRecords(4), 1u);
  EXPECT_NE(test::PeerRecords().find(L"\"code\":250"), std::wstring::npos);
  EXPECT_NE(test::PeerRecords().find(L"\"subcode\":404"), std::wstring::npos);

  Post("ini", "");
  EXPECT_FALSE(ShouldSwitchToUpdate()) << "no INI";
  EXPECT_EQ(StageRecords(2), 2u) << "the INI without url, then no INI";

  const std::wstring switchFile = test::ProgramDir() + L"jcqgxkg.ini";
  ASSERT_TRUE(test::WriteWholeFile(switchFile, "[updatecheck]\r\nswitch=0\r\n"));
  Offer();
  EXPECT_FALSE(ShouldSwitchToUpdate()) << "switched off";
  ::DeleteFileW(switchFile.c_str());
  EXPECT_EQ(StageRecords(1), 1u);
}

}  // namespace
}  // namespace tw
