#include "telemetry/metra_report.h"

#include "net/http_transfer.h"
#include "platform/win/ansi_text_win.h"
#include "telemetry/ini_sections.h"

namespace TwDirectMetra {
namespace {

// Mode 0 hands libcurl 5000 as both limits.
constexpr long kBinaryModeLimit = 5000;

}  // namespace

std::vector<uint8_t> TwInstallReport::Packet() const {
  std::vector<const TwInstallSerialize*> blocks;
  for (const auto& block : m_blocks) blocks.push_back(block.get());
  return BuildPacket(blocks);
}

int TwInstallReport::Send(const std::wstring& url, int mode) {
  if (mode != kModeBinary && mode != kModeForm) return -1;
  const std::vector<uint8_t> packet = Packet();
  // The header's 16-bit length could not tell the truth about a longer packet.
  if (packet.size() > 0xFFFF) return -1;
  std::string body;
  if (mode == kModeForm) {
    // The form recipe rewrites the address, applies the proxy and keeps the
    // answer only with status 200 (or no status at all).
    (void)tw::HttpPostForm(tw::win::WideToAnsi(url).c_str(), packet.data(), static_cast<long>(packet.size()), body);
  } else {
    (void)tw::HttpPostBinary(url, packet.data(), static_cast<long>(packet.size()), kBinaryModeLimit, kBinaryModeLimit,
                             body);
  }
  std::string text;
  if (!AcknowledgementText(body, text)) return -1;
  m_response = tw::win::AnsiToWide(text);
  return IsAcknowledged(m_response) ? 0 : -1;
}

}  // namespace TwDirectMetra
