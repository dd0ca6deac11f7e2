#include <windows.h>

#include <commctrl.h>

#include "app/command_line.h"
#include "app/dump_mgr.h"
#include "app/firewall_win.h"
#include "app/self_update.h"
#include "app/silent_flag.h"
#include "app/single_instance_win.h"
#include "app/startup.h"
#include "platform/win/module_path_win.h"
#include "platform/win/registry_win.h"
#include "windows/notice_box.h"

namespace tw {

ChannelInfo ReadChannel(const std::wstring& commandLine, const std::wstring& modulePath) {
  ChannelInfo channel;
  GetChannelInfo(commandLine, modulePath, channel);
  if (channel.silent) SetSilent();
  ApplyDefaultTrial(channel);
  return channel;
}

bool IsRebootPending() {
  return win::RegKeyExists(HKEY_LOCAL_MACHINE, kRebootPendingKey, win::RegistryView::kDefault);
}

void RunInstaller(const std::wstring& commandLine) {
  const ChannelInfo channel = ReadChannel(commandLine, win::GetModulePath());
  (void)channel;  // the main window is constructed with cid and tid

  if (IsRebootPending()) {
    if (!IsSilent()) ShowNotice(nullptr, kRebootNotice, kRebootNoticeButton);
    return;
  }
  // The main window runs here, modally, once it is part of the installer.
}

int RunEntry(HINSTANCE instance, const std::wstring& commandLine) {
  (void)instance;
  const SwitchMap switches = ParseSwitches(commandLine);
  // A copy started by self-update carries "update": it must run even while
  // the copy that started it still holds the marker.
  SingleInstanceGuard guard;
  if (switches.count(L"update") == 0) {
    if (guard.Acquire() == SingleInstanceGuard::Result::kAlreadyRunning) return 0;
    // A newer copy, when the service offers one, runs instead of this one.
    if (ShouldSwitchToUpdate() && RunUpdatedCopy(commandLine)) return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  TwDumpMgr::Instance().Install();  // crashes from here on send one record

  const std::wstring selfPath = win::GetModulePath();
  AddFirewallException(selfPath);  // failures ignored: see firewall_win.h
  RunInstaller(commandLine);
  RemoveFirewallException(selfPath);
  guard.Release();
  return 0;
}

}  // namespace tw
