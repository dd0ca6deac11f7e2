#include "telemetry/reports.h"

#include <memory>
#include <mutex>

#include "deploy_config.h"
#include "platform/win/ansi_text_win.h"
#include "telemetry/anti_cheat.h"
#include "telemetry/machine_identity.h"
#include "telemetry/metra_report.h"
#include "telemetry/product_state.h"
#include "telemetry/report_queue_win.h"
#include "platform/win/system_info_win.h"

namespace TwInstallTool {
namespace {

std::mutex g_urlLock;
std::wstring* g_url = nullptr;  // null: the deployment's URL

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

std::wstring TelemetryUrl() {
  std::lock_guard<std::mutex> guard(g_urlLock);
  return g_url != nullptr ? *g_url : std::wstring(tw::deploy::kTELEMETRY_URL);
}

void SetTelemetryUrl(const std::wstring& url) {
  std::lock_guard<std::mutex> guard(g_urlLock);
  if (g_url == nullptr) g_url = new std::wstring();  // kept for the process: the crash filter may read it late
  *g_url = url;
}

int SendLeafDetail(const ReportIdentity& identity, LeafDetailKind kind, int valueA, int valueB, const wchar_t* text) {
  TwInstallToolReport report;
  report.SetIdentity(identity.companyId, identity.trynoId, identity.machineId, identity.deviceId);
  report.SetOsCode(tw::GetOsCode());
  report.SetDetailOrigin(kLeafDetailOrigin);
  return report.ReportDetail(kLeafDetailStep, kind, valueA, valueB, text);
}

int SendRecord(const std::string& companyId, const std::string& trynoId, const std::wstring& machineId,
               const std::function<void(TwDirectMetra::TwInstallSerialize&)>& fillBlock, Transport transport) {
  TwDirectMetra::TwInstallReport report;
  auto publicBlock = std::make_unique<TwDirectMetra::TwPublicBlock>();
  auto block = std::make_unique<TwDirectMetra::TwInstallSerialize>();
  publicBlock->FillPublic("0", "0", companyId.c_str(), trynoId.c_str(), "0", Ascii(machineId).c_str(), "0",
                          TwDirectMetra::kAppKey);
  report.AddBlock(publicBlock.release());
  fillBlock(*block);
  report.AddBlock(block.release());
  TwDirectMetra::TelemetryReporter& reporter = TwDirectMetra::TelemetryReporter::Instance();
  if (transport == Transport::kQueued && reporter.Started()) {
    std::vector<uint8_t> packet = report.Packet();
    if (packet.size() > 0xFFFF) return -1;  // its length field could not tell the truth
    reporter.Enqueue(TelemetryUrl(), std::move(packet));
    return kRecordQueued;
  }
  return report.Send(TelemetryUrl(), TwDirectMetra::TwInstallReport::kModeForm);
}

void TwInstallToolReport::SetIdentity(int companyId, int trynoId, const std::wstring& machineId,
                                      const std::wstring& deviceId) {
  m_values.companyIdText = std::to_wstring(companyId);
  m_values.trynoIdText = std::to_wstring(trynoId);
  m_values.machineId = machineId;
  m_values.deviceId = deviceId;
}

void TwInstallToolReport::SetLaunchValues(const std::wstring& tid1, const std::wstring& tid2, const std::wstring& tod1,
                                          const std::wstring& tod2, uint8_t reportId) {
  m_values.tid1 = tid1;
  m_values.tid2 = tid2;
  m_values.tod1 = tod1;
  m_values.tod2 = tod2;
  m_values.reportId = reportId;
}

int TwInstallToolReport::Send(void (*fill)(TwDirectMetra::TwInstallSerialize&, const InstallToolValues&)) {
  const InstallToolValues values = m_values;
  return SendRecord(Ascii(values.companyIdText), Ascii(values.trynoIdText), values.machineId,
                    [&](TwDirectMetra::TwInstallSerialize& block) { fill(block, values); });
}

int TwInstallToolReport::ReportStep(int step, int result, int extra) {
  m_values.step = step;
  m_values.stepResult = result;
  m_values.stepExtra = static_cast<uint8_t>(extra);
  m_values.productState = tw::ReadProductState();
  return Send(&FillStepBlock);
}

int TwInstallToolReport::ReportDetail(int step, int kind, int valueA, int valueB, const wchar_t* text) {
  m_values.detailStep = step;
  m_values.detailKind = kind;
  m_values.detailValueA = valueA;
  m_values.detailValueB = valueB;
  m_values.detailText = text != nullptr ? text : L"";
  m_values.productState = tw::ReadProductState();
  return Send(&FillDetailBlock);
}

int TwInstallToolReport::ReportFinal(int shown, int button, int completion) {
  m_values.finalShown = static_cast<uint8_t>(shown);
  m_values.finalButton = static_cast<uint8_t>(button);
  m_values.finalCompletion = static_cast<uint8_t>(completion);
  return Send(&FillFinalBlock);
}

int TwUpdateInfoReport::Send(uint32_t stage, uint32_t code, uint32_t subcode) {
  const UpdateInfoValues values{stage, code, subcode};
  return SendRecord("0", "0", tw::GetIdex(),
                    [&](TwDirectMetra::TwInstallSerialize& block) { FillUpdateInfoBlock(block, values); });
}

int TwProcessInfoReport::Send(uint32_t companyId, uint32_t trynoId, const std::wstring& machineId) {
  TwAntiCheatMgr chain;
  chain.Collect();
  for (int level = 0; level < 3; ++level) {
    m_values.directories[level] = First50(chain.directories[level]);
    m_values.md5s[level] = First50(chain.md5s[level]);
  }
  m_values.companyId = companyId;
  m_values.trynoId = trynoId;
  return SendRecord("0", "0", machineId,
                    [&](TwDirectMetra::TwInstallSerialize& block) { FillProcessInfoBlock(block, m_values); });
}

void TwUIInfoReport::SetIdentity(int companyId, int trynoId, const std::wstring& machineId) {
  m_company_id = std::to_string(companyId);
  m_tryno_id = std::to_string(trynoId);
  m_machine_id = machineId;
}

int TwUIInfoReport::Send() {
  return SendRecord(m_company_id, m_tryno_id, m_machine_id,
                    [&](TwDirectMetra::TwInstallSerialize& block) { FillUIInfoBlock(block, m_values); });
}

int TwDumpInfoReport::Send() {
  // The process is dying: the record goes out now, while it still can.
  return SendRecord(
      "0", "0", m_machine_id, [&](TwDirectMetra::TwInstallSerialize& block) { FillDumpBlock(block, m_values); },
      Transport::kImmediate);
}

}  // namespace TwInstallTool
