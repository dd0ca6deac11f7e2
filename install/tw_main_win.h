// The install controller: walks the install road for the main window. It
// loads the channel's configuration, selects the trial node, checks the
// machine, downloads and verifies each package and runs its installer,
// sending a telemetry record at every step and writing the log. It never
// touches the window's controls; the window calls it from its worker thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "config/install_config_mgr.h"
#include "config/report_values.h"
#include "net/download_interfaces.h"
#include "platform/win/held_file_win.h"
#include "platform/win/thread_holder_win.h"
#include "telemetry/reports.h"

namespace tw {

// {F7256169-7030-4483-A3FB-83F4D01BF302}: the only progress sink identifier accepted.
constexpr GUID kProgressSinkId = {0xf7256169, 0x7030, 0x4483, {0xa3, 0xfb, 0x83, 0xf4, 0xd0, 0x1b, 0xf3, 0x02}};

class ITwDetector {
 public:
  virtual int Init(int cid, int tid) = 0;
  virtual int Uninit() = 0;
  virtual int CheckCondition(int conditionId) = 0;
  virtual int RunDetector(int actionBits) = 0;
  virtual ~ITwDetector() = default;
};

enum DetectorAction : int { kCheckAndDownload = 1, kVerify = 2, kInstall = 4 };

// The three values of the final record, sent when the controller goes.
// Starting the launch step sets the button and the completion to 1.
struct FinalRecord {
  static constexpr int kShown = 1;
  static constexpr int kNotShown = 2;
  static constexpr int kNoButton = 0;
  static constexpr int kLaunchStarted = 1;
  static constexpr int kCompleted = 1;
  static constexpr int kNotCompleted = 2;

  int shown = kNotShown;
  int button = kNoButton;
  int completion = kNotCompleted;
};

class TwMain final : public ITwDetector {
 public:
  // What tests replace or watch: the A/B draw, silence and the silent-mode
  // delay, and the moment between a package's last verification and its start.
  struct Hooks {
    std::function<int()> draw;         // 1..100; default rand() % 100 + 1
    std::function<bool()> silent;      // default IsSilent(), which never goes back to false
    std::function<void(DWORD)> sleep;  // default ::Sleep
    std::function<void(const std::wstring& package)> beforeLaunch;  // default: nothing
  };

  TwMain();
  explicit TwMain(Hooks hooks);
  ~TwMain() override;

  int Init(int cid, int tid) override;
  int Uninit() override;
  int CheckCondition(int conditionId) override;
  int RunDetector(int actionBits) override;

  HRESULT SetProgressSink(const GUID& id, IDownloadCallback* sink);
  void SetWindow(HWND window) { m_window = window; }
  void SetInstallPath(const std::wstring& path) { m_install_path = path; }
  void SetCommandLinePrefix(const std::wstring& prefix) { m_prefix = prefix; }
  int GetNoInstallDialogFlag() const { return m_no_install_dialog; }
  // The result of the last package download that failed (265: a web page
  // instead of the package, 266: too little space), 0 when none did.
  int DownloadFailure() const { return m_download_failure; }
  // The thread that ran this controller was terminated: it may have died
  // holding a lock, so nothing more is sent or logged from here on.
  void Abandon() { m_abandoned = true; }
  int Draw() const { return m_draw; }

 private:
  [[nodiscard]] int InitCore(int cid, int tid);
  void SetIdentity();
  [[nodiscard]] int SelectNode();
  [[nodiscard]] bool CheckAndDownload();
  [[nodiscard]] int CheckEnvironment();
  [[nodiscard]] int DownloadPackages();
  [[nodiscard]] int DownloadSinglePacket(const PackageEntry& entry, int index, int& transferError);
  [[nodiscard]] bool Verify();
  [[nodiscard]] bool Install();
  std::wstring CachedPath(int index) const;
  bool ApplicableAt(const PackageEntry& entry) const;
  // 0 when the package takes part in `step`; else the code reported for it
  // there: an unusable entry, or one outside this run's A/B range
  // (`outsideRange`, which each step names for itself).
  [[nodiscard]] int ReportIfSkipped(const PackageEntry& entry, int index, int step, int outsideRange);
  // Partial downloads no package of this node wants, or too old to continue.
  void RemoveStalePartials();
  void SendProcessReport();
  void StopReportThread();

  Hooks m_hooks;
  TwInstallTool::TwInstallToolReport m_report;
  int m_cid = -1;
  int m_tid = -1;
  int m_no_install_dialog = 1;
  TwInstallTool::ReportIdentity m_identity;  // who the condition leaves' detail records come from
  TwInstallConfigMgr m_config;
  const TwTrynoNode* m_node = nullptr;
  std::vector<PackageEntry> m_packages;  // the node's entries, paths expanded
  std::wstring m_work;                   // the private work folder, with its backslash, once known
  int m_download_failure = 0;
  // Each verified package, held from its verification until its installer
  // has started (a dll's entry function returned): nobody swaps it between.
  std::vector<win::HeldFile> m_held;
  // Which packages this run downloaded: only those may be deleted when
  // they fail verification (a skipped package's file is not ours).
  std::vector<bool> m_downloaded;
  win::ThreadHolder<TwMain> m_report_thread;
  ReportValues m_values;
  IDownloadCallback* m_progress = nullptr;
  std::wstring m_install_path;
  HWND m_window = nullptr;
  std::wstring m_prefix;
  FinalRecord m_final;
  int m_draw = 1;
  int m_reid = 0;
  bool m_abandoned = false;
};

}  // namespace tw
