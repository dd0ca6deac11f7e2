// One telemetry packet: it owns its blocks, posts them once and keeps the
// acknowledgement text. A send never throws and never retries; its result
// is for the record only, the installation goes on either way.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "telemetry/metra_serialize.h"

namespace TwDirectMetra {

class TwInstallReport {
 public:
  enum Mode { kModeBinary = 0, kModeForm = 1 };

  TwInstallReport() = default;
  virtual ~TwInstallReport() = default;
  TwInstallReport(const TwInstallReport&) = delete;
  TwInstallReport& operator=(const TwInstallReport&) = delete;

  void AddBlock(TwInstallSerialize* block) { m_blocks.emplace_back(block); }
  // 0 when the service acknowledged the record ([common] result=1), else -1.
  [[nodiscard]] int Send(const std::wstring& url, int mode);

  std::vector<uint8_t> Packet() const;
  const std::wstring& ResponseText() const { return m_response; }

 private:
  std::vector<std::unique_ptr<TwInstallSerialize>> m_blocks;
  std::wstring m_response;
};

}  // namespace TwDirectMetra
