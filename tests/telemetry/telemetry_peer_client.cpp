#include "tests/telemetry/telemetry_peer_client.h"

#include "platform/ux_json.h"
#include "tests/win/peer_http_win.h"

namespace tw::test {

void AddFinalRecordBlocks(TwDirectMetra::TwInstallReport& report, int button) {
  auto* publicBlock = new TwDirectMetra::TwPublicBlock();
  publicBlock->FillPublic("0", "0", "1029", "7", "0", "0123456789ABCDEF0123456789ABCDEF", "0", TwDirectMetra::kAppKey);
  report.AddBlock(publicBlock);
  auto* block = new TwDirectMetra::TwInstallSerialize();
  block->SetTableId(6139);
  for (int value : {1, button, 1, 1}) block->AddUInt8(static_cast<uint32_t>(value));
  block->Finish();
  report.AddBlock(block);
}

std::string TelemetryControl(const std::string& path) {
  std::string body;
  DirectGet("http://127.0.0.1:18096" + path, body);
  return body;
}

void ResetTelemetryPeer() { TelemetryControl("/_peer/reset"); }

std::wstring PeerRecords() {
  const std::string json = TelemetryControl("/_peer/records");
  cf::UxJson::Document document;
  if (!document.Parse(std::wstring(json.begin(), json.end()))) return L"";
  return document.ToString(false, 0);
}

size_t CountOf(const std::wstring& text, const std::wstring& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace tw::test
