// The reporter thread against the telemetry peer: records in order, the
// undelivered kept in a file and sent first by the next run, a black-holed
// service costing the drain and never a record.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "telemetry/metra_report.h"
#include "telemetry/record_store.h"
#include "telemetry/report_queue_win.h"
#include "platform/win/unique_handle_win.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"

namespace TwDirectMetra {
namespace {

using tw::test::CountOf;
using tw::test::PeerRecords;
using tw::test::TelemetryControl;

constexpr const wchar_t* kNobodyListens = L"http://127.0.0.1:18099/c/";

// A final record whose button field tells the records apart.
Packet FinalPacket(int button) {
  TwInstallReport report;
  tw::test::AddFinalRecordBlocks(report, button);
  return report.Packet();
}

// The buttons of the final records the peer decoded, in arrival order.
std::vector<int> DeliveredButtons() {
  const std::wstring records = PeerRecords();
  std::vector<int> buttons;
  const std::wstring key = L"\"final_button\":";
  for (size_t at = records.find(key); at != std::wstring::npos; at = records.find(key, at + 1)) {
    buttons.push_back(std::stoi(records.substr(at + key.size(), 4)));
  }
  return buttons;
}

class ReportQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    tw::test::ResetTelemetryPeer();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    // Stands for %ProgramData%: the store keeps its file in Tarnwick\TwInstall.
    m_base = std::wstring(temp) + L"tw_kept_" + std::to_wstring(::GetCurrentProcessId());
    m_folder = m_base + L"\\Tarnwick\\TwInstall";
    m_path = m_folder + L"\\pending_records.dat";
    RemoveBase();
    ASSERT_TRUE(::CreateDirectoryW(m_base.c_str(), nullptr));
  }
  void TearDown() override {
    RemoveBase();
    tw::test::ResetTelemetryPeer();
  }
  void RemoveBase() {
    std::error_code ignored;
    std::filesystem::remove_all(m_base, ignored);
  }

  KeptRecordFile Store() const { return KeptRecordFile(m_base); }
  size_t KeptCount() { return Store().Claim().size(); }

  std::wstring m_base, m_folder, m_path;
};

TEST_F(ReportQueueTest, RecordsReachTheServiceInTheOrderTheyWereMade) {
  TelemetryReporter reporter(Store(), &PostRecord);
  reporter.Start(tw::test::kTelemetryPeerUrl);
  for (int button = 1; button <= 5; ++button) reporter.Enqueue(tw::test::kTelemetryPeerUrl, FinalPacket(button));
  reporter.Stop(20000);
  EXPECT_EQ(DeliveredButtons(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(KeptCount(), 0u) << "nothing left for the next run";
}

TEST_F(ReportQueueTest, UndeliveredRecordsAreSentUnchangedAndFirstByTheNextRun) {
  {
    // The first record is refused: it and every later one are kept, in order.
    TelemetryReporter down(Store(), &PostRecord);
    down.Start(kNobodyListens);
    for (int button = 1; button <= 3; ++button) down.Enqueue(kNobodyListens, FinalPacket(button));
    down.Stop(2000);
  }
  EXPECT_EQ(DeliveredButtons(), std::vector<int>{});
  {
    TelemetryReporter up(Store(), &PostRecord);
    up.Enqueue(tw::test::kTelemetryPeerUrl, FinalPacket(9));  // before Start: straight into the file
    up.Start(tw::test::kTelemetryPeerUrl);
    for (int button = 4; button <= 5; ++button) up.Enqueue(tw::test::kTelemetryPeerUrl, FinalPacket(button));
    up.Stop(20000);
  }
  EXPECT_EQ(DeliveredButtons(), (std::vector<int>{1, 2, 3, 9, 4, 5}));
  const std::wstring records = PeerRecords();
  EXPECT_EQ(CountOf(records, L"\"error\""), 0u) << "each kept packet decodes as it was made";
  EXPECT_EQ(KeptCount(), 0u);
}

TEST_F(ReportQueueTest, ABlackHoledServiceCostsTheDrainAndKeepsEveryRecord) {
  ASSERT_EQ(TelemetryControl("/_peer/ack?mode=silent&seconds=60"), "ok");
  TelemetryReporter reporter(Store(), &PostRecord);
  reporter.Start(tw::test::kTelemetryPeerUrl);
  for (int button = 1; button <= 3; ++button) reporter.Enqueue(tw::test::kTelemetryPeerUrl, FinalPacket(button));
  // The first post hangs; Stop cancels it after the drain and keeps all three,
  // the one in flight included.
  reporter.Stop(500);
  EXPECT_EQ(KeptCount(), 3u);
}

TEST_F(ReportQueueTest, CopiesKeepingAtTheSameTimeLoseNothing) {
  constexpr int kEach = 25;
  auto keep = [&](int first) {
    for (int i = 0; i < kEach; ++i) ASSERT_TRUE(Store().Keep({FinalPacket(first + i)}));
  };
  std::thread a(keep, 0), b(keep, 100);
  a.join();
  b.join();
  EXPECT_EQ(KeptCount(), 2u * kEach);
}

// Before the installer ever ran, a process of the user made the store's
// folder (open to everyone), put records of its own in the file and took
// the store's mutex with an access list that refuses everyone. Before, the
// elevated installer posted the planted records as its own, deleted their
// file, and, refused the mutex, kept nothing of its own. Now the folder is
// moved aside with the file untouched, made anew, and the installer's own
// records are kept and sent, the mutex notwithstanding.
TEST_F(ReportQueueTest, AStoreSomeoneElseMadeFirstIsSetAsideAndTheRecordsStillArrive) {
  ASSERT_TRUE(::CreateDirectoryW((m_base + L"\\Tarnwick").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(m_folder.c_str(), nullptr));
  {
    PSECURITY_DESCRIPTOR everyone = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1,
                                                                       &everyone, nullptr));
    const tw::win::UniqueLocalMemory owned(everyone);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(everyone, &present, &dacl, &defaulted);
    ASSERT_EQ(::SetNamedSecurityInfoW(const_cast<wchar_t*>(m_folder.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, dacl, nullptr),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  const std::string planted = SerializeKeptRecords({FinalPacket(66), FinalPacket(67)});
  ASSERT_TRUE(tw::test::WriteWholeFile(m_path, planted));
  PSECURITY_DESCRIPTOR refuseAll = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &refuseAll, nullptr));
  const tw::win::UniqueLocalMemory ownedRefusal(refuseAll);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, refuseAll, FALSE};
  const tw::win::UniqueHandleObject squatted(
      ::CreateMutexW(&attributes, TRUE, L"Global\\TwInstallKeptTelemetryRecords"));
  ASSERT_TRUE(squatted);

  {
    TelemetryReporter down(Store(), &PostRecord);
    down.Start(kNobodyListens);
    down.Enqueue(kNobodyListens, FinalPacket(1));
    down.Stop(2000);
  }
  {
    TelemetryReporter up(Store(), &PostRecord);
    up.Start(tw::test::kTelemetryPeerUrl);
    up.Enqueue(tw::test::kTelemetryPeerUrl, FinalPacket(2));
    up.Stop(20000);
  }
  EXPECT_EQ(DeliveredButtons(), (std::vector<int>{1, 2})) << "ours, and none of theirs";
  EXPECT_EQ(tw::test::ReadWholeFile(m_folder + L".untrusted-1\\pending_records.dat"), planted)
      << "their file is set aside as it was";
}

TEST_F(ReportQueueTest, AFileThatIsNotOursGivesNoRecordsAndIsReplaced) {
  ASSERT_TRUE(Store().Keep({FinalPacket(1)}));
  {
    const tw::win::UniqueFile file(::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ::WriteFile(file.Get(), "MZ garbage", 10, &written, nullptr);
  }
  EXPECT_EQ(KeptCount(), 0u);
  ASSERT_TRUE(Store().Keep({FinalPacket(2)}));
  EXPECT_EQ(KeptCount(), 1u);
}

}  // namespace
}  // namespace TwDirectMetra
