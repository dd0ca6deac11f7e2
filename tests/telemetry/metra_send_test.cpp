// Records posted to the telemetry peer, which decodes them with its own
// reading of the layouts and answers as each test asks.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "telemetry/metra_report.h"
#include "tests/telemetry/telemetry_peer_client.h"

namespace TwDirectMetra {
namespace {

using tw::test::PeerRecords;

std::string Control(const std::string& path) { return tw::test::TelemetryControl(path); }

class MetraSendTest : public testing::Test {
 protected:
  void SetUp() override { Control("/_peer/reset"); }
  void TearDown() override { Control("/_peer/reset"); }

  // A final record (table 6139) behind a public block, as every report sends.
  static int SendFinal(int mode = TwInstallReport::kModeForm) {
    TwInstallReport report;
    tw::test::AddFinalRecordBlocks(report, 2);
    return report.Send(tw::test::kTelemetryPeerUrl, mode);
  }
};

TEST_F(MetraSendTest, TheServiceDecodesWhatWasSentAndAcknowledges) {
  EXPECT_EQ(SendFinal(), 0);
  const std::wstring text = PeerRecords();
  EXPECT_EQ(text.find(L"\"error\""), std::wstring::npos);
  EXPECT_EQ(text.find(L"\"time\"", text.find(L"\"time\"") + 1), std::wstring::npos) << "exactly one record";
  for (const wchar_t* expected :
       {L"\"content_type\":\"application\\/x-www-form-urlencoded\"", L"\"user_agent\":\"Mozilla\\/4.0\"",
        L"\"accept\":\"*\\/*\"", L"\"machine_key\":\"0123456789ABCDEF0123456789ABCDEF\"", L"\"company_id\":1029",
        L"\"tryno_id\":7", L"\"format_tag\":7", L"\"app_key\":\"q7td2mx0kb5wz3hv9pe6ru4ya1cj\"", L"\"final_button\":2",
        L"\"table\":6139", L"\"ok\":true"}) {
    EXPECT_NE(text.find(expected), std::wstring::npos)
        << "missing " << std::string(expected, expected + wcslen(expected));
  }
}

TEST_F(MetraSendTest, EveryDamagedAcknowledgementIsAFailure) {
  for (const char* mode : {"result0", "result2", "no-common", "no-bracket", "no-equals", "wrong-crc", "wrong-length",
                           "byte2-1", "seven-bytes", "truncated", "garbage", "status500"}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(Control(std::string("/_peer/ack?mode=") + mode), "ok");
    EXPECT_EQ(SendFinal(), -1);
  }
  ASSERT_EQ(Control("/_peer/ack?mode=capitals"), "ok");
  EXPECT_EQ(SendFinal(), 0) << "capitals and spaces around '=' are fine";
}

TEST_F(MetraSendTest, ModesAndUnreachableServices) {
  EXPECT_EQ(SendFinal(0), 0) << "mode 0 carries the same packet";
  EXPECT_EQ(SendFinal(2), -1) << "no such mode";
  TwInstallReport nowhere;
  EXPECT_EQ(nowhere.Send(L"http://127.0.0.1:1/c/", TwInstallReport::kModeForm), -1);
}

TEST_F(MetraSendTest, APacketTheLengthFieldCannotDescribeIsNotSent) {
  TwInstallReport report;
  for (int i = 0; i < 2; ++i) {
    auto* block = new TwInstallSerialize();
    block->SetTableId(6139);
    const std::string big(40000, 'x');
    block->AddBlob(big.data(), big.size());
    block->Finish();
    report.AddBlock(block);
  }
  EXPECT_GT(report.Packet().size(), 0xFFFFu);
  EXPECT_EQ(report.Send(tw::test::kTelemetryPeerUrl, TwInstallReport::kModeForm), -1);
  EXPECT_EQ(PeerRecords(), L"[]") << "nothing reached the service";
}

TEST_F(MetraSendTest, ASilentServiceCostsAtMostTheTimeLimit) {
  ASSERT_EQ(Control("/_peer/ack?mode=silent"), "ok");
  const DWORD started = ::GetTickCount();
  EXPECT_EQ(SendFinal(), -1);
  EXPECT_LT(::GetTickCount() - started, 40000u) << "a 10 s limit; the peer would stall for 60";
}

}  // namespace
}  // namespace TwDirectMetra
