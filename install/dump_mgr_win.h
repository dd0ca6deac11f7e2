// Crash reports: an unhandled exception anywhere in the installer sends one
// telemetry record saying which module and version crashed, where and with
// which code, then hands the exception on. No dump file is written.
#pragma once

#include <windows.h>

#include <mutex>

#include "telemetry/reports.h"

namespace tw {

class TwDumpMgr {
 public:
  static TwDumpMgr& Instance();

  // Installs the filter once, in front of the filter that was active. True
  // when the filter is installed (by this call or an earlier one).
  [[nodiscard]] bool Install();
  int SetCompanyId(uint32_t companyId);
  int SetTrialId(uint32_t trialId);

  ~TwDumpMgr();

 private:
  TwDumpMgr() = default;
  static LONG WINAPI Filter(EXCEPTION_POINTERS* exception);
  LONG OnException(EXCEPTION_POINTERS* exception);
  void CollectStaticValues();

  std::recursive_mutex m_lock;
  bool m_installed = false;
  LPTOP_LEVEL_EXCEPTION_FILTER m_previous = nullptr;
  bool m_collected = false;
  TwInstallTool::TwDumpInfoReport m_report;
};

}  // namespace tw
