// Reports and crash records as the telemetry peer decodes them.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/tw_md5.h"
#include "platform/win/module_path_win.h"
#include "platform/win/process_image_win.h"
#include "telemetry/anti_cheat.h"
#include "telemetry/reports.h"
#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"

namespace TwInstallTool {
namespace {

using tw::test::PeerRecords;

class ReportsTest : public testing::Test {
 protected:
  void SetUp() override {
    tw::test::ResetTelemetryPeer();
    SetTelemetryUrl(tw::test::kTelemetryPeerUrl);
  }
};

TEST_F(ReportsTest, InstallFlowRecords) {
  TwInstallToolReport report;
  report.SetIdentity(1029, 7, L"0123456789ABCDEF0123456789ABCDEF", L"FEDCBA9876543210FEDCBA9876543210");
  report.SetOsCode(16);
  IInstallToolReport& flow = report;
  EXPECT_EQ(flow.ReportStep(11, 0, 0), 0);
  EXPECT_EQ(flow.ReportDetail(40, 1, 28, 2, nullptr), 0);
  EXPECT_EQ(flow.ReportFinal(2, 1, 1), 0);
  const std::wstring records = PeerRecords();
  for (const wchar_t* expected :
       {L"\"table\":7706", L"\"step\":11", L"\"os_code\":16", L"\"did\":\"FEDCBA9876543210FEDCBA9876543210\"",
        L"\"product_state\":\"{\\\"dvlx\\\":0,\\\"zorn\\\":0}\"", L"\"record_version\":3", L"\"package_version\":2",
        L"\"table\":4680", L"\"origin\":2", L"\"value_a\":28", L"\"detail_text\":\"\"", L"\"table\":6139",
        L"\"final_shown\":2", L"\"company_id\":1029", L"\"tryno_id\":7",
        L"\"machine_key\":\"0123456789ABCDEF0123456789ABCDEF\""}) {
    EXPECT_NE(records.find(expected), std::wstring::npos) << tw::test::Narrow(expected);
  }
  EXPECT_EQ(records.find(L"\"ok\":false"), std::wstring::npos);
}

TEST_F(ReportsTest, WindowUpdateAndParentChainRecords) {
  TwUIInfoReport window;
  window.SetIdentity(1029, 7, L"0123456789ABCDEF0123456789ABCDEF");
  window.Values().minimised = true;
  window.Values().confirmedLeaving = true;
  EXPECT_EQ(window.Send(), 0);
  EXPECT_EQ(TwUpdateInfoReport().Send(4, 250, 28), 0);
  TwProcessInfoReport chain;
  EXPECT_EQ(chain.Send(1029, 7, L"0123456789ABCDEF0123456789ABCDEF"), 0);
  const std::wstring records = PeerRecords();
  for (const wchar_t* expected : {L"\"bits\":[0,1,1,0]", L"\"record_kind\":3", L"\"stage\":4", L"\"code\":250",
                                  L"\"subcode\":28", L"\"table\":3769", L"\"one\":1"}) {
    EXPECT_NE(records.find(expected), std::wstring::npos) << tw::test::Narrow(expected);
  }
}

TEST(ParentChain, AChildSeesThisProgramAsItsParent) {
  // This program was started from Linux (no Windows parent); its child's
  // parent is this program, whose directory and digest are known here.
  tw::test::ScratchDir dir;
  const std::wstring output = dir.Path() + L"chain.txt";
  const std::wstring command =
      L"cmd /c \"\"" + tw::test::ProgramDir() + L"tw_test_helper.exe\" parent-chain > \"" + output + L"\"\"";
  // cmd sits between us and the helper: the helper's parent is cmd, its
  // grandparent this program.
  ASSERT_EQ(tw::test::RunProcess(command), 0u);
  const std::string text = tw::test::ReadWholeFile(output);
  tw::TwMD5 md5;
  const uint8_t* digest = md5.GetFileDigest(tw::win::GetModulePath());
  ASSERT_NE(digest, nullptr);
  uint8_t copy[tw::kMd5Size];
  std::copy(digest, digest + tw::kMd5Size, copy);
  std::string programDir = tw::test::Narrow(tw::test::ProgramDir());
  EXPECT_NE(text.find(programDir.substr(0, 50) + "|" + tw::Md5Hex(copy, true)), std::string::npos) << text;
}

TEST(ParentChain, DevicePathsBecomeDrivePaths) {
  wchar_t device[MAX_PATH] = {};
  ASSERT_GT(::QueryDosDeviceW(L"C:", device, MAX_PATH), 0u);
  EXPECT_EQ(tw::win::DevicePathToDrivePath(std::wstring(device) + L"\\windows\\x.exe"), L"C:\\windows\\x.exe");
  EXPECT_EQ(tw::win::DevicePathToDrivePath(L"\\Device\\Nowhere\\x.exe"), L"\\Device\\Nowhere\\x.exe");
}

TEST_F(ReportsTest, ACrashSendsOneRecordAndEndsTheProcess) {
  const std::wstring helper = L"\"" + tw::test::ProgramDir() + L"tw_crash_helper.exe\" ";
  const auto code = tw::test::RunProcess(helper + tw::test::kTelemetryPeerUrl, 60000);
  ASSERT_TRUE(code.has_value()) << "the crashed process ends";
  EXPECT_NE(*code, 0u);
  const std::wstring records = PeerRecords();
  // 0xC0000005 reads as -1073741819: the JSON model's integers are 32-bit.
  for (const wchar_t* expected :
       {L"\"table\":3806", L"\"exception_code\":-1073741819", L"\"module_name\":\"tw_crash_helper.exe\"",
        L"\"exe_name\":\"tw_crash_helper.exe\"", L"\"company_id\":0", L"\"tryno_id\":0"}) {
    EXPECT_NE(records.find(expected), std::wstring::npos) << tw::test::Narrow(expected);
  }
  EXPECT_EQ(tw::test::CountOf(records, L"\"table\":3806"), 1u) << "exactly one record";
}

TEST_F(ReportsTest, TwoCrashesSendTwoRecords) {
  const std::wstring helper = L"\"" + tw::test::ProgramDir() + L"tw_crash_helper.exe\" ";
  ASSERT_TRUE(tw::test::RunProcess(helper + tw::test::kTelemetryPeerUrl + L" 2", 60000).has_value());
  const std::wstring records = PeerRecords();
  EXPECT_EQ(tw::test::CountOf(records, L"\"table\":3806"), 2u);
  EXPECT_NE(records.find(L"\"exception_code\":-536870911"), std::wstring::npos) << "0xE0000001 first";
}

}  // namespace
}  // namespace TwInstallTool
