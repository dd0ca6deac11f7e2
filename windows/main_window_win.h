// TwDetectorMainDlg: the installer's main window (layout 11001). It shows
// the start page with the agreement links, the fold-out install path panel
// and the agree/disagree buttons; then download and installation progress;
// then the finished or a failed page. A worker thread drives the install
// controller; the product installer reports back by posted messages.
#pragma once

#include <functional>
#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "install/tw_main_win.h"
#include "config/recommendation.h"
#include "net/download_callback_win.h"
#include "platform/win/gdi_handles_win.h"
#include "platform/win/thread_holder_win.h"
#include "platform/win/unique_handle_win.h"
#include "ui/hosts/dialog_host_win.h"
#include "windows/install_path_win.h"
#include "windows/main_window_rules.h"
#include "windows/tray_icon_win.h"

namespace tw {

class TwDetectorMainDlg : public ux::win::CUxDialogViewImplEx {
 public:
  TwDetectorMainDlg(int cid, int tid, TwMain::Hooks hooks = {});
  ~TwDetectorMainDlg() override;

  // Runs once on the window's thread after the first page was shown (also
  // in silent mode, where nothing shows): work the first page must not wait for.
  void OnFirstPage(std::function<void()> callback) { m_on_first_page = std::move(callback); }
  // Asked once the window is made, before anything shows: false leaves the
  // window unseen (the start-up hands over to a newer copy instead).
  void ShowOnlyIf(std::function<bool()> stays) { m_stays = std::move(stays); }
  // The window ended without showing, because `stays` said so.
  bool LeftUnseen() const noexcept { return m_left_unseen; }

  const UserActionRecord& UserActions() const noexcept { return m_actions; }
  int SimulatedPercent() const noexcept { return m_percent; }
  bool PanelOpen() const noexcept { return m_panel_open; }
  const std::wstring& InstallPath() const noexcept { return m_install_path; }
  const TrayIcon& Tray() const noexcept { return m_tray; }
  HWND PathBox() const noexcept { return m_path_box; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  bool BeforeShowing() override;

  // Seams for tests: what reaches outside the window.
  virtual bool OpenPage(const std::wstring& address);
  virtual int AskToLeave();         // the leave confirmation's result code
  virtual int RunDisagreeDialog();  // 101, 102 or 103
  virtual void ShowRebootNotice();
  virtual std::optional<std::wstring> BrowseFolder();
  virtual const IPathQueries& PathQueries() const { return m_path_queries; }
  // The road behind the window (tests of the window alone leave it out).
  virtual void StartWorker();

 private:
  void OnInitDialog();
  void OnFirstPageShown();
  void Work();
  void FetchRecommendation();
  std::wstring RecommendationPrefix();
  void AgreeAndInstall();
  void Disagree();
  void TogglePanel(bool open);
  void OnClick(int id);
  void OnPointer(int id, bool entered);
  void OnDownloadProgress(int percent, int speed);
  void OnDownloadFinished();
  void StartInstallDisplay();
  void OnTimer(UINT_PTR id);
  void OnStage(int stage);
  void OnInstallSucceeded();
  void OnInstallFailed();
  void ShowFailedPage(FailedPageKind kind);
  void ApplyTooltip(TooltipKind kind, int percent);
  void LeaveRequest();
  void EndWindow(INT_PTR result);
  void ValidatePathBox();
  void OnPathError(int code);
  void RestoreDefaultPath();
  void ShowBanner(unsigned index);
  void SendUiReport();

  int m_cid;
  int m_tid;
  TwMain m_controller;
  win::ThreadHolder<TwDetectorMainDlg> m_worker;
  win::UniqueHandleObject m_start_event;
  win::UniqueHandleObject m_quit_event;  // the window is going: the worker stops waiting
  // The recommendation is fetched beside the window: the first page must
  // not wait for the network.
  win::ThreadHolder<TwDetectorMainDlg> m_rcmd_fetch;
  win::UniqueHandleObject m_rcmd_ready;
  std::atomic<bool> m_rcmd_cancel{false};
  std::unique_ptr<TwInstallRcmdMgr> m_rcmd;
  std::wstring m_install_path;
  std::wstring m_default_path;
  HWND m_path_box = nullptr;
  volatile LONG m_cancel = 0;
  std::unique_ptr<TwDowloadCallback> m_progress_sink;
  TrayIcon m_tray;
  win::UniqueIcon m_tray_icon;
  unsigned m_banner = 0;
  bool m_panel_open = false;
  bool m_path_valid = true;
  int m_percent = 0;
  bool m_stages[5] = {};
  bool m_install_failed = false;
  bool m_failed_page = false;
  bool m_download_continuing = false;  // the download continues what an earlier run fetched
  bool m_finished_page = false;
  TooltipOrder m_tooltips;
  UserActionRecord m_actions;
  WinPathQueries m_path_queries;
  unsigned m_random = 0;
  bool m_reboot_at_start = false;
  int m_pointer_over = 0;
  std::function<void()> m_on_first_page;
  std::function<bool()> m_stays;
  bool m_left_unseen = false;
  bool m_first_page_done = false;
};

// The start event of another product installation: set while one runs.
extern const wchar_t kInstallerRunningEvent[];
// Set while the product installer shows its progress in this window's place.
extern const wchar_t kInstallerWindowEvent[];

}  // namespace tw
