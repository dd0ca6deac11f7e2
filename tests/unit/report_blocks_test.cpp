#include <gtest/gtest.h>

#include "telemetry/product_state.h"
#include "telemetry/report_blocks.h"

namespace TwInstallTool {
namespace {

using Bytes = std::vector<uint8_t>;

// A small fixture per table: the expected bytes written out field by field.
class Expect {
 public:
  explicit Expect(uint16_t table) { U16(table); }
  Expect& U8(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    return *this;
  }
  Expect& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  Expect& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  Expect& Str(const std::string& ascii) {
    U16(static_cast<uint32_t>(ascii.size()));
    for (char c : ascii) bytes.push_back(static_cast<uint8_t>(c ^ 0x6B));
    return *this;
  }
  Bytes bytes;
};

template <typename Values, typename Fill>
Bytes Block(Fill fill, const Values& values) {
  TwDirectMetra::TwInstallSerialize block;
  fill(block, values);
  return block.Finished();
}

InstallToolValues FlowValues() {
  InstallToolValues v;
  v.step = 31;
  v.stepResult = 261;
  v.stepExtra = 2;
  v.osCode = 16;
  v.packageVersion = 5;
  v.productState = L"{\"dvlx\":0,\"zorn\":1}";
  v.deviceId = L"D1";
  v.reportId = 9;
  v.tid1 = L"a";
  v.tod2 = L"d";
  v.detailStep = 40;
  v.detailKind = 1;
  v.detailValueA = 28;
  v.detailValueB = 2;
  v.detailText = L"t";
  v.finalShown = 2;
  v.finalButton = 1;
  v.finalCompletion = 1;
  return v;
}

TEST(ReportBlocks, StepRecord) {
  Expect e(7706);
  e.U32(3).U32(5).U32(31).U32(261).Str("{\"dvlx\":0,\"zorn\":1}").U32(16).Str("D1").U8(9);
  e.Str("a").Str("").Str("").Str("d").U16(0).U8(0).U8(2);
  EXPECT_EQ(Block(FillStepBlock, FlowValues()), e.bytes);
}

TEST(ReportBlocks, DetailAndFinalRecords) {
  Expect detail(4680);
  detail.U32(2).U32(40).U32(1).Str("{\"dvlx\":0,\"zorn\":1}").U32(28).U32(2).Str("t");
  EXPECT_EQ(Block(FillDetailBlock, FlowValues()), detail.bytes);
  Expect final(6139);
  final.U8(2).U8(1).U8(1).U8(1);
  EXPECT_EQ(Block(FillFinalBlock, FlowValues()), final.bytes);
}

TEST(ReportBlocks, DumpUpdateAndProcessRecords) {
  DumpValues dump;
  dump.deviceId = L"D";
  dump.moduleName = L"twinstall.exe";
  dump.moduleVersion = L"1.0";
  dump.exceptionCode = 0xC0000005;
  dump.exceptionAddress = 0x401000;
  dump.exeName = L"setup.exe";
  dump.osId = 13;
  dump.uptimeSeconds = 77;
  Expect d(3806);
  d.Str("D").U32(0).U32(0).Str("twinstall.exe").Str("1.0").U32(0xC0000005).U32(0x401000).Str("setup.exe").Str("");
  d.U32(13).U32(0).U32(77);
  EXPECT_EQ(Block(FillDumpBlock, dump), d.bytes) << "a crash before the controller carries cid and tid 0";

  Expect u(4033);
  u.U32(4).U32(250).U32(28).Str("");
  EXPECT_EQ(Block(FillUpdateInfoBlock, UpdateInfoValues{4, 250, 28}), u.bytes);

  ProcessInfoValues chain;
  chain.directories[0] = std::wstring(60, L'x');
  chain.md5s[0] = L"ABC";
  chain.companyId = 1029;
  chain.trynoId = 7;
  Expect p(3769);
  p.Str(std::string(50, 'x')).Str("ABC").Str("").Str("").Str("").Str("").U8(1).U32(1029).U32(7);
  EXPECT_EQ(Block(FillProcessInfoBlock, chain), p.bytes) << "one ancestor: strings 3 to 6 empty, cut at 50";
}

TEST(ReportBlocks, WindowRecordBits) {
  UIInfoValues ui;
  ui.confirmedLeaving = true;
  ui.minimised = true;
  Expect e(7787);
  e.U8(0b0110).U32(0).U8(3).U8(0).U32(0);
  EXPECT_EQ(Block(FillUIInfoBlock, ui), e.bytes) << "minimised, then leaving confirmed";
}

TEST(ProductState, JsonAndDisplayIconDirectory) {
  EXPECT_EQ(tw::ProductStateJson(true, false), L"{\"dvlx\":0,\"zorn\":1}");
  EXPECT_EQ(tw::DirectoryFromDisplayIcon(L"\"C:\\Program Files\\Drivolux\\drivolux.EXE\""),
            L"C:\\Program Files\\Drivolux\\");
  EXPECT_EQ(tw::DirectoryFromDisplayIcon(L"C:\\Drivolux\\"), L"C:\\Drivolux\\");
  EXPECT_EQ(tw::DirectoryFromDisplayIcon(L"C:\\Drivolux\\app.ico,0"), L"C:\\Drivolux\\app.ico,0\\")
      << "only the four extensions at the very end are file names";
  EXPECT_EQ(tw::DirectoryFromDisplayIcon(L"\"\""), L"");
}

}  // namespace
}  // namespace TwInstallTool
