// The leaf tests against the real Wine registry, files, kernel objects and
// the city and telemetry peers.
#include <gtest/gtest.h>

#include <windows.h>
#include <tinyxml2.h>

#include <ctime>
#include <cwchar>

#include "config/condition_leaves.h"
#include "config/report_values.h"
#include "telemetry/reports.h"
#include "platform/win/system_info_win.h"
#include "platform/win/private_folder_win.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/peer_http_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

// The leaves report as the install controller's do, for a known channel.
LeafDetailSink ToThePeer() {
  return [](TwInstallTool::LeafDetailKind kind, int valueA, int valueB, const wchar_t* text) {
    (void)TwInstallTool::SendLeafDetail({1029, 7, L"", L""}, kind, valueA, valueB, text);
  };
}

constexpr wchar_t kTestKey[] = L"Software\\TwLeafTest";

class LeafTest : public testing::Test {
 protected:
  void SetUp() override {
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
  }
  void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey); }

  // The leaf an element describes, reporting to `report`; nothing when the
  // factory refuses it.
  std::optional<bool> Check(const std::string& leafXml, const LeafDetailSink& report = ToThePeer()) {
    tinyxml2::XMLDocument document;
    if (document.Parse(leafXml.c_str()) != tinyxml2::XML_SUCCESS) return std::nullopt;
    const tinyxml2::XMLElement* element = document.RootElement();
    const auto mode = LeafModeFromName(element->Attribute("mode"));
    if (!mode) return std::nullopt;
    std::unique_ptr<ICheckLeaf> leaf = MakeConditionLeaf(*mode, *element, report);
    if (leaf == nullptr) return std::nullopt;
    return leaf->Check();
  }
  static void SetValue(const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kTestKey, name, type, data, bytes), ERROR_SUCCESS);
  }
  static void SetText(const wchar_t* name, const std::wstring& text) {
    SetValue(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

  test::ScratchDir m_dir;
};

TEST_F(LeafTest, RegistryValuesByType) {
  const DWORD zero = 0, five = 5;
  SetValue(L"Zero", REG_DWORD, &zero, 4);
  SetValue(L"Five", REG_DWORD, &five, 4);
  SetText(L"Text", L"x");
  const auto reg = [&](const char* name, int type) {
    return Check(std::string(R"(<leaf id="1" mode="reg" mainkey="HKLM" subkey="Software\TwLeafTest" keyname=")") +
                 name + R"(" wow64="0" keytype=")" + std::to_string(type) + "\"/>");
  };
  EXPECT_EQ(reg("Zero", 4), false) << "a DWORD of 0";
  EXPECT_EQ(reg("Five", 4), true);
  EXPECT_EQ(reg("Text", 4), false) << "type mismatch";
  EXPECT_EQ(reg("Text", 1), true);
  EXPECT_EQ(reg("Missing", 1), false);
  EXPECT_EQ(
      Check(
          R"(<leaf id="1" mode="reg" mainkey="HKEY_LOCAL_MACHINE" subkey="Software\TwLeafTest" keyname="Five" wow64="0" keytype="4"/>)"),
      false)
      << "only the short root names";
  EXPECT_EQ(Check(R"(<leaf id="1" mode="reg" mainkey="hklm" subkey="x" keyname="y" keytype="4"/>)"), std::nullopt)
      << "a missing attribute rejects the leaf";
}

TEST_F(LeafTest, FilesAndFolders) {
  ASSERT_TRUE(test::WriteWholeFile(m_dir.Path() + L"tool.exe", "x"));
  std::wstring folder = m_dir.Path();
  folder.pop_back();  // no trailing backslash
  SetText(L"Folder", L"\"" + folder + L"\"");
  EXPECT_EQ(
      Check(
          R"(<leaf id="1" mode="regfile" mainkey="hklm" subkey="Software\TwLeafTest" keyname="Folder" name="tool.exe" wow64="0"/>)"),
      true);
  EXPECT_EQ(
      Check(
          R"(<leaf id="1" mode="regfile" mainkey="hklm" subkey="Software\TwLeafTest" keyname="Folder" name="other.exe" wow64="0"/>)"),
      false);
  const std::string dir = Narrow(m_dir.Path());
  EXPECT_EQ(Check("<leaf id=\"1\" mode=\"fullpathfile\" path=\"" + dir + "\" name=\"tool.exe\"/>"), true);
  EXPECT_EQ(Check("<leaf id=\"1\" mode=\"fullpathfile\" path=\"" + dir + "\" name=\"\"/>"), true);
  EXPECT_EQ(Check("<leaf id=\"1\" mode=\"fullpathfile\" path=\"" + dir + "nowhere\" name=\"\"/>"), false);
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring relative = m_dir.Path().substr(std::wstring(temp).size());
  EXPECT_EQ(Check("<leaf id=\"1\" mode=\"varexfile\" path=\"%TEMP%\\" + Narrow(relative) + "\" name=\"tool.exe\"/>"),
            true);
}

TEST_F(LeafTest, KernelObjects) {
  DWORD session = 0;
  ASSERT_TRUE(::ProcessIdToSessionId(::GetCurrentProcessId(), &session));
  const std::wstring mutexName = L"TwLeafMutex" + std::to_wstring(session);
  const win::UniqueHandleObject mutex(::CreateMutexW(nullptr, FALSE, mutexName.c_str()));
  const win::UniqueHandleObject event(::CreateEventW(nullptr, TRUE, FALSE, L"TwLeafEvent"));
  const win::UniqueHandleObject semaphore(::CreateSemaphoreW(nullptr, 0, 1, L"TwLeafSemaphore"));
  const win::UniqueFile pipe(
      ::CreateNamedPipeW(L"\\\\.\\pipe\\TwLeafPipe", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr));
  ASSERT_TRUE(mutex && event && semaphore && pipe);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="Mutex" name="TwLeafMutex$SessionID"/>)"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="mutex" name="TwLeafNoMutex"/>)"), false);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="event" name="TwLeafEvent"/>)"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="semaphore" name="TwLeafSemaphore"/>)"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="namedpipe" name="TwLeafPipe"/>)"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="kernelobject" type="file" name="TwLeafEvent"/>)"), false);
}

TEST_F(LeafTest, ServiceAndOsVersion) {
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\services\\TwLeafService", L"Start",
                              REG_SZ, L"x", 4),
            ERROR_SUCCESS);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="service" name="TwLeafService"/>)"), true);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\services\\TwLeafService");
  EXPECT_EQ(Check(R"(<leaf id="1" mode="service" name="TwLeafService"/>)"), false);
  EXPECT_EQ(Check("<leaf id=\"1\" mode=\"osversion\" versionvalue=\"" + std::to_string(GetOsCode()) + "\"/>"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="osversion" versionvalue="abc"/>)"), GetOsCode() == 0);
}

TEST_F(LeafTest, IntervalTimeStampsAndRegistryViews) {
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  auto leaf = [](const char* type, int wow64) {
    return std::string(R"(<leaf id="1" mode="regintervaltime" mainkey="hklm" subkey="Software\TwLeafTest" )") +
           "keyname=\"stamp\" keytype=\"" + type + "\" intervaltime=\"24\" wow64=\"" + std::to_string(wow64) + "\"/>";
  };
  SYSTEMTIME hourAgo{};
  FILETIME file{};
  ::GetSystemTimeAsFileTime(&file);
  ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
  ticks.QuadPart -= 3600ULL * 10000000ULL;
  file = {ticks.LowPart, ticks.HighPart};
  FILETIME local{};
  ::FileTimeToLocalFileTime(&file, &local);
  ::FileTimeToSystemTime(&local, &hourAgo);
  wchar_t text[32];
  std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u", hourAgo.wYear, hourAgo.wMonth, hourAgo.wDay, hourAgo.wHour,
                hourAgo.wMinute, hourAgo.wSecond);
  SetText(L"stamp", text);
  EXPECT_EQ(Check(leaf("1", 0)), true) << "a date an hour ago, 24 hours allowed";
  SetText(L"stamp", std::to_wstring(now - 3600));
  EXPECT_EQ(Check(leaf("1", 0)), false) << "a text is read as a date only, not as a number";
  const DWORD hourAgoNumber = static_cast<DWORD>(now - 3600), twoDaysAgo = static_cast<DWORD>(now - 2 * 86400);
  SetValue(L"stamp", REG_DWORD, &hourAgoNumber, sizeof hourAgoNumber);
  EXPECT_EQ(Check(leaf("4", 0)), true) << "a number is a Unix time";
  SetValue(L"stamp", REG_DWORD, &twoDaysAgo, sizeof twoDaysAgo);
  EXPECT_EQ(Check(leaf("4", 0)), false);
  EXPECT_EQ(Check(leaf("1", 0)), false) << "another type than keytype: not read";

  // The registry views: wow64 0 reads the 64-bit view, then the 32-bit one;
  // wow64 1 the 32-bit view only (one view on a 32-bit system).
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kTestKey);
  ASSERT_TRUE(
      test::SetRegValue32(HKEY_LOCAL_MACHINE, kTestKey, L"stamp", REG_DWORD, &hourAgoNumber, sizeof hourAgoNumber));
  EXPECT_EQ(Check(leaf("4", 0)), true) << "found in the 32-bit view after the 64-bit one";
  EXPECT_EQ(Check(leaf("4", 1)), true);
  test::DeleteRegTree32(HKEY_LOCAL_MACHINE, kTestKey);
  if (SystemVersion::Instance().Is64()) {
    SetValue(L"stamp", REG_DWORD, &hourAgoNumber, sizeof hourAgoNumber);  // this 64-bit program's own view
    EXPECT_EQ(Check(leaf("4", 0)), true);
    EXPECT_EQ(Check(leaf("4", 1)), false) << "wow64 1 never looks into the 64-bit view";
  }
}

TEST_F(LeafTest, TheIdIsReadAsANumberAndOnlyAMissingOneRejectsTheLeaf) {
  struct Case {
    const char* id;  // nullptr: no attribute
    std::optional<int32_t> made;
  } cases[] = {{"7", 7}, {" 12x", 12}, {"-3", -3}, {"abc", 0}, {"", 0}, {nullptr, std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id != nullptr ? c.id : "(none)");
    tinyxml2::XMLDocument document;
    const std::string id = c.id != nullptr ? std::string(" id=\"") + c.id + "\"" : "";
    ASSERT_EQ(document.Parse(("<leaf" + id + R"( mode="service" name="TwNoSuchService"/>)").c_str()),
              tinyxml2::XML_SUCCESS);
    const std::unique_ptr<ICheckLeaf> leaf =
        MakeConditionLeaf(LeafMode::kService, *document.RootElement(), ToThePeer());
    ASSERT_EQ(leaf != nullptr, c.made.has_value());
    if (leaf != nullptr) {
      EXPECT_EQ(leaf->Id(), *c.made);
    }
  }
}

TEST_F(LeafTest, LeavesThatReportWhatTheyFound) {
  EXPECT_EQ(Check(R"(<leaf id="1" mode="uninstcounts" Interval="1" count="0" param="1" switch="1"/>)"), false);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="vpn" switch="0"/>)"), false);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="vmvare" switch="0"/>)"), false);
  ::DeleteFileW((win::WorkFolder().value_or(L"") + L"unioncfg.dat").c_str());
  EXPECT_EQ(Check(R"(<leaf id="1" mode="baruser"/>)"), false) << "no unioncfg.dat in the work folder";
  const std::wstring records = test::PeerRecords();
  EXPECT_EQ(test::CountOf(records, L"\"table\":4680"), 3u) << test::Narrow(records);
  EXPECT_EQ(test::CountOf(records, L"\"origin\":" + std::to_wstring(TwInstallTool::kLeafDetailOrigin)), 3u);
  EXPECT_NE(records.find(L"\"detail_kind\":1"), std::wstring::npos);
  EXPECT_NE(records.find(L"\"detail_kind\":2"), std::wstring::npos);
  EXPECT_NE(records.find(L"\"detail_kind\":3"), std::wstring::npos);
}

TEST_F(LeafTest, ALeafGivenNowhereToReportSendsNothing) {
  EXPECT_EQ(Check(R"(<leaf id="1" mode="vpn" switch="0"/>)", LeafDetailSink()), false);
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"table\":4680"), 0u);
}

TEST_F(LeafTest, CityBlackList) {
  std::string ok;
  ASSERT_TRUE(test::DirectGet("http://127.0.0.1:18082/_peer/city?mode=refuse", ok));
  EXPECT_EQ(Check(R"(<leaf id="1" mode="cityblacklist" percent="0" cityid="1101"/>)"), true)
      << "a failed lookup lets the installation go on";
  ASSERT_TRUE(test::DirectGet("http://127.0.0.1:18082/_peer/city?mode=ok&cityid=1101", ok));
  EXPECT_EQ(Check(R"(<leaf id="1" mode="cityblacklist" percent="0" cityid="1101"/>)"), false);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="cityblacklist" percent="100" cityid="1101"/>)"), true);
  EXPECT_EQ(Check(R"(<leaf id="1" mode="cityblacklist" percent="0" cityid="2202"/>)"), true) << "another city";
  ASSERT_TRUE(test::DirectGet("http://127.0.0.1:18082/_peer/city?mode=ok&cityid=2202", ok));
  EXPECT_EQ(Check(R"(<leaf id="1" mode="cityblacklist" percent="0" cityid="1101"/>)"), false)
      << "the first answer is kept for the process";
  const std::wstring records = test::PeerRecords();
  EXPECT_NE(records.find(L"\"detail_kind\":4"), std::wstring::npos);
  EXPECT_NE(records.find(L"\"value_a\":1101"), std::wstring::npos);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(ReportValues, RegistryAndIniLeaves) {
  const DWORD seven = 7;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TwReportTest", L"Number", REG_DWORD, &seven, 4),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\TwReportTest", L"Text", REG_SZ, L"abc", 8),
            ERROR_SUCCESS);
  test::ScratchDir driverDir;
  ASSERT_TRUE(test::WriteWholeFile(driverDir.Path() + L"data.ini", "[main]\r\nchannel=55\r\n"));
  const std::wstring dir = driverDir.Path();
  ASSERT_TRUE(test::SetRegString32(HKEY_LOCAL_MACHINE, L"software\\Drivolux\\Drivolux", L"AppPath", dir));

  std::multimap<int32_t, ReportLeaf> reports;
  reports.emplace(5, ReportLeaf{"Number", "TID1", "reg", "HKLM", "Software\\TwReportTest", "dword"});
  reports.emplace(5, ReportLeaf{"Text", "tid2", "REG", "hklm", "Software\\TwReportTest", "string"});
  reports.emplace(5, ReportLeaf{"Text", "tod1", "reg", "HKEY_LOCAL_MACHINE", "Software\\TwReportTest", "string"});
  reports.emplace(5, ReportLeaf{"channel", "tod2", "file", "main", "data.ini", ""});
  reports.emplace(5, ReportLeaf{"Text", "other", "reg", "hklm", "Software\\TwReportTest", "string"});
  reports.emplace(6, ReportLeaf{"Text", "tod1", "reg", "hklm", "Software\\TwReportTest", "string"});
  ReportValues values;
  values.tod1 = L"kept";
  FillReportValues(reports, 5, values);
  EXPECT_EQ(values.tid1, L"7");
  EXPECT_EQ(values.tid2, L"abc");
  EXPECT_EQ(values.tod1, L"kept") << "the long root name is skipped";
  EXPECT_EQ(values.tod2, L"55");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\TwReportTest");
  test::DeleteRegTree32(HKEY_LOCAL_MACHINE, L"software\\Drivolux");
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

TEST(KernelObjectLeaf, AMutexThatDeniesAccessCountsAsPresent) {
  const std::wstring name = L"TwLockedMutex" + std::to_wstring(::GetCurrentProcessId());
  const win::UniqueHandleObject ready(::CreateEventW(nullptr, TRUE, FALSE, (name + L"-ready").c_str()));
  const win::UniqueHandleObject done(::CreateEventW(nullptr, TRUE, FALSE, (name + L"-done").c_str()));
  auto helper = test::StartProcess(L"\"" + test::ProgramDir() + L"tw_test_helper.exe\" hold-locked-mutex " + name);
  ASSERT_TRUE(helper);
  ASSERT_EQ(::WaitForSingleObject(ready.Get(), 60000), WAIT_OBJECT_0);
  {
    const win::UniqueHandleObject opened(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
    RecordProperty("open_error", static_cast<int>(opened ? 0 : ::GetLastError()));
  }
  tinyxml2::XMLDocument document;
  document.Parse(
      ("<leaf id=\"1\" mode=\"kernelobject\" type=\"mutex\" name=\"" + std::string(name.begin(), name.end()) + "\"/>")
          .c_str());
  auto leaf = MakeConditionLeaf(LeafMode::kKernelObject, *document.RootElement(), ToThePeer());
  ASSERT_NE(leaf, nullptr);
  EXPECT_TRUE(leaf->Check()) << "created by another process, present whether or not it may be opened";
  ::SetEvent(done.Get());
  EXPECT_EQ(test::WaitForExit(*helper, 60000), 0u);
  EXPECT_FALSE(leaf->Check()) << "gone with its process";
}

class UninstallLeafTest : public testing::Test {
 protected:
  static constexpr const wchar_t* kProductKey = L"SOFTWARE\\tarnwick\\Antivirus";
  static constexpr const wchar_t* kIdexKey =
      L"CLSID\\{9B7A98EC-7EF9-468c-ACC8-37C793DBD7E0}\\Implemented Categories\\{A5F7140E-4311-4ef9-AABC-F55941B5EBE5}";
  void SetUp() override {
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
  }
  void TearDown() override {
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"uninstall_count");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kProductKey, L"uninstall_time");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kIdexKey);
  }
  static void History(HKEY root, const wchar_t* key, DWORD count, DWORD daysAgo) {
    const DWORD time = static_cast<DWORD>(std::time(nullptr)) - daysAgo * 86400 - 60;
    ASSERT_EQ(::RegSetKeyValueW(root, key, L"uninstall_count", REG_DWORD, &count, 4), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeyValueW(root, key, L"uninstall_time", REG_DWORD, &time, 4), ERROR_SUCCESS);
  }
  static bool Leaf(const char* xml) {
    tinyxml2::XMLDocument document;
    document.Parse(xml);
    const auto mode = LeafModeFromName(document.RootElement()->Attribute("mode"));
    return MakeConditionLeaf(*mode, *document.RootElement(), ToThePeer())->Check();
  }
};

TEST_F(UninstallLeafTest, HistoryFromEitherLocation) {
  for (const auto& [root, key] : {std::pair<HKEY, const wchar_t*>{HKEY_LOCAL_MACHINE, kProductKey},
                                  std::pair<HKEY, const wchar_t*>{HKEY_CLASSES_ROOT, kIdexKey}}) {
    TearDown();
    History(root, key, 3, 10);
    EXPECT_EQ(ReadUninstallHistory().count, 3u);
    EXPECT_EQ(ReadUninstallHistory().daysSince, 10);
    EXPECT_TRUE(Leaf(R"(<leaf id="1" mode="uninstcountandtime" count="2" Interval="30"/>)"));
    EXPECT_FALSE(Leaf(R"(<leaf id="1" mode="uninstcountandtime" count="4" Interval="30"/>)"));
    // (3 mod 2) * 5 + 1 = 6 days must have passed: 10 have.
    EXPECT_TRUE(Leaf(R"(<leaf id="1" mode="uninstcounts" Interval="1" count="2" param="5" switch="1"/>)"));
    EXPECT_FALSE(Leaf(R"(<leaf id="1" mode="uninstcounts" Interval="9" count="2" param="5" switch="1"/>)"));
  }
  const std::wstring records = test::PeerRecords();
  EXPECT_NE(records.find(L"\"value_a\":" + std::to_wstring(TwInstallTool::kLeafUninstalledOftenAndRecently)),
            std::wstring::npos);
  EXPECT_NE(records.find(L"\"value_a\":" + std::to_wstring(TwInstallTool::kLeafUninstallIntervalNotPassed)),
            std::wstring::npos);
  EXPECT_NE(records.find(L"\"value_b\":3"), std::wstring::npos);
}

}  // namespace
}  // namespace tw
