#include "telemetry/report_blocks.h"

namespace TwInstallTool {

using TwDirectMetra::TwInstallSerialize;

void FillStepBlock(TwInstallSerialize& block, const InstallToolValues& v) {
  block.SetTableId(kStepTable);
  block.AddUInt32(static_cast<uint32_t>(v.recordVersion));
  block.AddUInt32(static_cast<uint32_t>(v.packageVersion));
  block.AddUInt32(static_cast<uint32_t>(v.step));
  block.AddUInt32(static_cast<uint32_t>(v.stepResult));
  block.AddString(v.productState);
  block.AddUInt32(static_cast<uint32_t>(v.osCode));
  block.AddString(v.deviceId);
  block.AddUInt8(v.reportId);
  block.AddString(v.tid1);
  block.AddString(v.tid2);
  block.AddString(v.tod1);
  block.AddString(v.tod2);
  block.AddUInt16(0);
  block.AddUInt8(0);
  block.AddUInt8(v.stepExtra);
  block.Finish();
}

void FillDetailBlock(TwInstallSerialize& block, const InstallToolValues& v) {
  block.SetTableId(kDetailTable);
  block.AddUInt32(static_cast<uint32_t>(v.detailOrigin));
  block.AddUInt32(static_cast<uint32_t>(v.detailStep));
  block.AddUInt32(static_cast<uint32_t>(v.detailKind));
  block.AddString(v.productState);
  block.AddUInt32(static_cast<uint32_t>(v.detailValueA));
  block.AddUInt32(static_cast<uint32_t>(v.detailValueB));
  block.AddString(v.detailText);
  block.Finish();
}

void FillFinalBlock(TwInstallSerialize& block, const InstallToolValues& v) {
  block.SetTableId(kFinalTable);
  block.AddUInt8(v.finalShown);
  block.AddUInt8(v.finalButton);
  block.AddUInt8(v.finalCompletion);
  block.AddUInt8(1);
  block.Finish();
}

void FillDumpBlock(TwInstallSerialize& block, const DumpValues& v) {
  block.SetTableId(kDumpTable);
  block.AddString(v.deviceId);
  block.AddUInt32(v.companyId);
  block.AddUInt32(v.trynoId);
  block.AddString(v.moduleName);
  block.AddString(v.moduleVersion);
  block.AddUInt32(v.exceptionCode);
  block.AddUInt32(v.exceptionAddress);
  block.AddString(v.exeName);
  block.AddString(v.exeVersion);
  block.AddUInt32(v.osId);
  block.AddUInt32(v.is64);
  block.AddUInt32(v.uptimeSeconds);
  block.Finish();
}

void FillUpdateInfoBlock(TwInstallSerialize& block, const UpdateInfoValues& v) {
  block.SetTableId(kUpdateInfoTable);
  block.AddUInt32(v.stage);
  block.AddUInt32(v.code);
  block.AddUInt32(v.subcode);
  block.AddString(L"");
  block.Finish();
}

void FillProcessInfoBlock(TwInstallSerialize& block, const ProcessInfoValues& v) {
  block.SetTableId(kProcessInfoTable);
  for (int level = 0; level < 3; ++level) {
    block.AddString(First50(v.directories[level]));
    block.AddString(First50(v.md5s[level]));
  }
  block.AddUInt8(1);
  block.AddUInt32(v.companyId);
  block.AddUInt32(v.trynoId);
  block.Finish();
}

void FillUIInfoBlock(TwInstallSerialize& block, const UIInfoValues& v) {
  block.SetTableId(kUIInfoTable);
  block.AddBit(v.restoredFromTray);
  block.AddBit(v.confirmedLeaving);
  block.AddBit(v.minimised);
  block.AddBit(v.installStartedByUser);
  block.AddUInt32(v.stay);
  block.AddUInt8(v.recordKind);
  block.AddUInt8(0);
  block.AddUInt32(v.outcome);
  block.Finish();
}

std::wstring First50(const std::wstring& text) { return text.substr(0, 50); }

}  // namespace TwInstallTool
