// The installer's five reports. Each send builds one packet (public block
// plus the report's block) and posts it to the telemetry service: through
// the reporter thread once the process started it, else on the calling
// thread (0 when acknowledged, -1 otherwise). No caller acts on the result.
#pragma once

#include <functional>
#include <string>

#include "telemetry/report_blocks.h"

namespace TwInstallTool {

// Where records go: the deployment's telemetry URL unless a test or a
// tool has pointed the process elsewhere.
std::wstring TelemetryUrl();
void SetTelemetryUrl(const std::wstring& url);

// A record handed to the process's reporter thread (see report_queue_win.h).
constexpr int kRecordQueued = 1;

enum class Transport {
  kQueued,     // through the reporter once it runs; synchronous before
  kImmediate,  // posted on the calling thread whatever runs: the crash record
};

// Builds and sends one record: 0 acknowledged, -1 not, or kRecordQueued.
// `companyId`/`trynoId` are the public block's decimal texts ("0" for
// reports that carry none there).
[[nodiscard]] int SendRecord(const std::string& companyId, const std::string& trynoId, const std::wstring& machineId,
                             const std::function<void(TwDirectMetra::TwInstallSerialize&)>& fillBlock,
                             Transport transport = Transport::kQueued);

// Who reports: the channel (company and trial ids) and the machine (idex,
// did), as the install controller learns them.
struct ReportIdentity {
  int companyId = 0;
  int trynoId = 0;
  std::wstring machineId;
  std::wstring deviceId;
};

// A condition leaf's detail record (table 4680): its origin and step, what
// it is about, and the values the uninstall-history leaves report.
constexpr int kLeafDetailOrigin = 3;
constexpr int kLeafDetailStep = 30;
enum LeafDetailKind : int {
  kLeafDetailUninstallHistory = 1,  // value A: a code below, value B: how often the product was uninstalled
  kLeafDetailVpn = 2,               // value A: a VPN connection is up, value B: the leaf's switch
  kLeafDetailVirtualMachine = 3,    // value A: the virtual-machine verdict, value B: the leaf's switch
  kLeafDetailCity = 4,              // value A: the city asked about, value B: refused, text: the lookup's answer
};
constexpr int kLeafUninstallIntervalNotPassed = 357;  // uninstalled before, and too recently for its count
constexpr int kLeafUninstalledOftenAndRecently = 359;

// A condition leaf's detail record from a fresh report of `identity`.
[[nodiscard]] int SendLeafDetail(const ReportIdentity& identity, LeafDetailKind kind, int valueA, int valueB,
                                 const wchar_t* text);

class IInstallToolReport {
 public:
  virtual int ReportDetail(int step, int kind, int valueA, int valueB, const wchar_t* text) = 0;
  virtual int ReportStep(int step, int result, int extra) = 0;
  virtual ~IInstallToolReport() = default;
  virtual int ReportFinal(int shown, int button, int completion) = 0;
};

// The install flow's record: steps (7706), details (4680), final (6139).
class TwInstallToolReport final : public IInstallToolReport {
 public:
  int ReportDetail(int step, int kind, int valueA, int valueB, const wchar_t* text) override;
  int ReportStep(int step, int result, int extra) override;
  int ReportFinal(int shown, int button, int completion) override;

  // The shared values the controller computes once.
  void SetIdentity(int companyId, int trynoId, const std::wstring& machineId, const std::wstring& deviceId);
  void SetOsCode(int osCode) { m_values.osCode = osCode; }
  void SetPackageVersion(int version) { m_values.packageVersion = version; }
  void SetDetailOrigin(int origin) { m_values.detailOrigin = origin; }  // 3 for condition leaves
  void SetLaunchValues(const std::wstring& tid1, const std::wstring& tid2, const std::wstring& tod1,
                       const std::wstring& tod2, uint8_t reportId);
  const InstallToolValues& Values() const { return m_values; }

 private:
  [[nodiscard]] int Send(void (*fill)(TwDirectMetra::TwInstallSerialize&, const InstallToolValues&));
  InstallToolValues m_values;
};

// The self-update check's outcome (4033); reads the machine identifier itself.
class TwUpdateInfoReport {
 public:
  [[nodiscard]] int Send(uint32_t stage, uint32_t code, uint32_t subcode);
};

// The parent process chain (3769), gathered by TwAntiCheatMgr.
class TwProcessInfoReport {
 public:
  [[nodiscard]] int Send(uint32_t companyId, uint32_t trynoId, const std::wstring& machineId);
  const ProcessInfoValues& Values() const { return m_values; }

 private:
  ProcessInfoValues m_values;
};

// What the user did with the main window (7787).
class TwUIInfoReport {
 public:
  void SetIdentity(int companyId, int trynoId, const std::wstring& machineId);
  UIInfoValues& Values() { return m_values; }
  [[nodiscard]] int Send();

 private:
  std::string m_company_id = "0", m_tryno_id = "0";
  std::wstring m_machine_id;
  UIInfoValues m_values;
};

// The crash record (3806); filled by the crash manager.
class TwDumpInfoReport {
 public:
  DumpValues& Values() { return m_values; }
  void SetMachineId(const std::wstring& machineId) { m_machine_id = machineId; }
  [[nodiscard]] int Send();

 private:
  DumpValues m_values;
  std::wstring m_machine_id;
};

}  // namespace TwInstallTool
