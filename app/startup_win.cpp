#include <windows.h>

#include <functional>
#include <thread>

#include "app/command_line.h"
#include "install/dump_mgr_win.h"
#include "app/firewall_win.h"
#include "app/self_update.h"
#include "install/silent_flag.h"
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "install/reboot_state.h"
#include "platform/win/module_path_win.h"
#include "platform/win/registry_win.h"
#include "telemetry/report_queue_win.h"
#include "telemetry/reports.h"
#include "ui/hosts/host_core_win.h"
#include "ui/hosts/ux_startup_win.h"
#include "windows/main_window_win.h"
#include "windows/message_boxes_win.h"
#include "windows/web_pages_win.h"

namespace tw {

ChannelInfo ReadChannel(const std::wstring& commandLine, const std::wstring& modulePath) {
  ChannelInfo channel;
  GetChannelInfo(commandLine, modulePath, channel);
  if (channel.silent) SetSilent();
  ApplyDefaultTrial(channel);
  return channel;
}

bool RunInstaller(const std::wstring& commandLine, std::function<void()> onFirstPage, std::function<bool()> stays) {
  const ChannelInfo channel = ReadChannel(commandLine, win::GetModulePath());
  ux::win::LoadFrameworkResources();  // skins, styles, strings and the base font, before any window

  if (IsRebootPending()) {
    if (stays && !stays()) return false;
    if (!IsSilent()) ShowRebootNotice(nullptr);
    return true;
  }
  TwDetectorMainDlg window(channel.cid, channel.tid);
  window.OnFirstPage(std::move(onFirstPage));
  window.ShowOnlyIf(std::move(stays));
  window.DoModal(nullptr);
  return !window.LeftUnseen();
}

namespace {

// What the queue gets at exit to deliver the last records; the rest are kept.
constexpr uint32_t kTelemetryDrainMs = 2000;

// The process's records go through the reporter thread while this lives.
class TelemetryRun {
 public:
  TelemetryRun() { TwDirectMetra::TelemetryReporter::Instance().Start(TwInstallTool::TelemetryUrl()); }
  ~TelemetryRun() { TwDirectMetra::TelemetryReporter::Instance().Stop(kTelemetryDrainMs); }
  TelemetryRun(const TelemetryRun&) = delete;
  TelemetryRun& operator=(const TelemetryRun&) = delete;
};

// The self-update decision, taken on a thread of its own while the window is
// made (the window's making is most of what an empty window costs, the
// decision a round trip to the service): the window shows only once it is
// known that this copy stays.
class UpdateDecision {
 public:
  UpdateDecision() = default;
  ~UpdateDecision() {
    if (m_deciding.joinable()) m_deciding.join();
  }
  UpdateDecision(const UpdateDecision&) = delete;
  UpdateDecision& operator=(const UpdateDecision&) = delete;

  void Start() {
    m_deciding = std::thread([this] { m_switch = ShouldSwitchToUpdate(); });
  }
  // Whether a verified newer copy is ready; waits for the decision, which
  // bounds itself.
  bool SwitchToUpdate() {
    if (m_deciding.joinable()) m_deciding.join();
    return m_switch;
  }

 private:
  std::thread m_deciding;
  bool m_switch = false;
};

// The firewall entry is added once the first page shows, on a thread of its
// own: its COM calls cost the first page time it does not need. It is
// removed only after the addition has ended, and only when it was added.
class FirewallRegistration {
 public:
  explicit FirewallRegistration(std::wstring imagePath) : m_path(std::move(imagePath)) {}
  void Start() {
    if (m_adding.joinable()) return;
    m_adding = std::thread([this] { (void)AddFirewallException(m_path); });  // failures ignored: see firewall_win.h
  }
  ~FirewallRegistration() {
    if (!m_adding.joinable()) return;
    m_adding.join();
    (void)RemoveFirewallException(m_path);
  }
  FirewallRegistration(const FirewallRegistration&) = delete;
  FirewallRegistration& operator=(const FirewallRegistration&) = delete;

 private:
  std::wstring m_path;
  std::thread m_adding;
};

}  // namespace

int RunEntry(HINSTANCE instance, const std::wstring& commandLine) {
  (void)instance;
  const SwitchMap switches = ParseSwitches(commandLine);
  // A copy started by self-update carries "update": it must run even while
  // the copy that started it still holds the marker.
  SingleInstanceGuard guard;
  const bool updatedCopy = switches.count(L"update") != 0;
  if (!updatedCopy && guard.Acquire() == SingleInstanceGuard::Result::kAlreadyRunning) return 0;
  TelemetryRun telemetry;
  // A newer copy, when the service offers one, runs instead of this one.
  UpdateDecision update;
  if (!updatedCopy) update.Start();

  ux::win::SetLinkOpener(&OpenWebPage);   // a layout's links open as the user, like every page
  (void)TwDumpMgr::Instance().Install();  // crashes from here on send one record

  {
    FirewallRegistration firewall(win::GetModulePath());
    auto onFirstPage = [&firewall] { firewall.Start(); };
    if (!RunInstaller(commandLine, onFirstPage, [&update] { return !update.SwitchToUpdate(); })) {
      if (RunUpdatedCopy(commandLine)) return 0;
      // The newer copy did not start: this one goes on as if none was offered.
      (void)RunInstaller(commandLine, onFirstPage);
    }
  }
  guard.Release();
  return 0;
}

}  // namespace tw
