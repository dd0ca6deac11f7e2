// The report blocks: each report's values in its table's field order. Pure
// functions of the values, so every table's bytes can be checked exactly.
#pragma once

#include <cstdint>
#include <string>

#include "telemetry/metra_serialize.h"

namespace TwInstallTool {

enum TableId : uint16_t {
  kProcessInfoTable = 3769,
  kDumpTable = 3806,
  kUpdateInfoTable = 4033,
  kDetailTable = 4680,
  kFinalTable = 6139,
  kStepTable = 7706,
  kUIInfoTable = 7787,
};

// What the install-flow records carry (the controller's report values).
struct InstallToolValues {
  int step = 0, detailStep = 0, detailKind = 0, stepResult = 0;
  int osCode = 0, recordVersion = 3, detailOrigin = 2;
  int detailValueA = 0, detailValueB = 0, packageVersion = 2;
  std::wstring companyIdText, trynoIdText, machineId, productState, deviceId, detailText;
  std::wstring tid1, tid2, tod1, tod2;
  uint8_t reportId = 0, finalShown = 0, finalButton = 0, finalCompletion = 0, stepExtra = 0;
};

void FillStepBlock(TwDirectMetra::TwInstallSerialize& block, const InstallToolValues& values);
void FillDetailBlock(TwDirectMetra::TwInstallSerialize& block, const InstallToolValues& values);
void FillFinalBlock(TwDirectMetra::TwInstallSerialize& block, const InstallToolValues& values);

struct DumpValues {
  std::wstring deviceId;
  uint32_t companyId = 0, trynoId = 0;
  std::wstring moduleName, moduleVersion;
  uint32_t exceptionCode = 0, exceptionAddress = 0;
  std::wstring exeName, exeVersion;
  uint32_t osId = 0, is64 = 0, uptimeSeconds = 0;
};
void FillDumpBlock(TwDirectMetra::TwInstallSerialize& block, const DumpValues& values);

struct UpdateInfoValues {
  uint32_t stage = 0, code = 0, subcode = 0;
};
void FillUpdateInfoBlock(TwDirectMetra::TwInstallSerialize& block, const UpdateInfoValues& values);

struct ProcessInfoValues {
  std::wstring directories[3];  // parent, grandparent, great-grandparent
  std::wstring md5s[3];
  uint32_t companyId = 0, trynoId = 0;
};
void FillProcessInfoBlock(TwDirectMetra::TwInstallSerialize& block, const ProcessInfoValues& values);

// The kind of the window's record: the window sends one kind of record.
constexpr uint8_t kUiRecordKindWindowClosed = 3;

struct UIInfoValues {
  bool restoredFromTray = false, confirmedLeaving = false, minimised = false, installStartedByUser = false;
  uint32_t stay = 0;
  uint8_t recordKind = kUiRecordKindWindowClosed;
  uint32_t outcome = 0;
};
void FillUIInfoBlock(TwDirectMetra::TwInstallSerialize& block, const UIInfoValues& values);

// The first 50 UTF-16 code units (directories and digests of the chain).
std::wstring First50(const std::wstring& text);

}  // namespace TwInstallTool
