#include "windows/main_window_win.h"

#include <cstdlib>

#include "platform/win/temp_dir_win.h"
#include "platform/log.h"
#include "install/silent_flag.h"
#include "install/reboot_state.h"
#include "config/recommendation.h"
#include "platform/win/library_loading_win.h"
#include "platform/win/module_path_win.h"
#include "platform/win/registry_win.h"
#include "platform/utf8.h"
#include "resources/resource_ids.h"
#include "telemetry/machine_identity.h"
#include "telemetry/reports.h"
#include "ui/base/dpi.h"
#include "ui/drawing/font_pool_win.h"
#include "windows/disagree_dialog_win.h"
#include "windows/main_window_ids.h"
#include "windows/message_boxes_win.h"
#include "windows/web_pages_win.h"

namespace tw {

namespace id = main_window_id;

const wchar_t kInstallerRunningEvent[] = L"Global\\{E02A6D98-80B3-4a54-89E3-116EB96D0664}_EXIST";
const wchar_t kInstallerWindowEvent[] = L"Global\\{8A58A1E3-3034-44A4-AA09-D655F233F8ED}_EXIST";

namespace {

constexpr wchar_t kTitle[] = L"Tarnwick Zorn-极速安装包";
constexpr UINT kTrayId = 2;
// The install-path panel unfolds this far below the layout (at 96 DPI).
constexpr int kPathPanelHeight = 60;
// Worker → window: start the installation display on the window's thread.
constexpr UINT kMsgStartInstallDisplay = WM_APP + 31;
constexpr UINT_PTR kTimerPercent = 1, kTimerBanner = 2, kTimerWatch = 3, kTimerStay = 4;
// Set during the window's initialisation: a timer's message comes only once
// the queue is quiet, after the first page was painted and shown.
constexpr UINT_PTR kTimerFirstPageShown = 5;
// How long the product installer's start waits for a recommendation still
// being fetched; after it the switches say the file was not obtained.
constexpr DWORD kRecommendationWaitMs = 5000;
// What the window's threads get to end when it closes, before termination.
constexpr DWORD kThreadStopWaitMs = 5000;

bool EventExists(const wchar_t* name) {
  win::UniqueHandleObject event(::OpenEventW(SYNCHRONIZE, FALSE, name));
  return event.IsValid();
}

std::wstring ModuleDirectory() {
  std::wstring path = win::GetModulePath();
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace

TwDetectorMainDlg::TwDetectorMainDlg(int cid, int tid, TwMain::Hooks hooks)
    : CUxDialogViewImplEx(11001),
      m_cid(cid),
      m_tid(tid),
      m_controller(std::move(hooks)),
      m_start_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_quit_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_rcmd_ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  // The window never shows in silent mode: it agrees and ends by itself.
  SetShowOnStart(!IsSilent());
}

TwDetectorMainDlg::~TwDetectorMainDlg() {
  // Every thread is asked to end first: the worker stops waiting, a
  // download in flight and the recommendation fetch end within a second.
  ::SetEvent(m_quit_event.Get());
  ::InterlockedIncrement(&m_cancel);
  m_rcmd_cancel = true;
  const bool workerEnded = m_worker.StopGracefully(kThreadStopWaitMs);
  const bool fetchEnded = m_rcmd_fetch.StopGracefully(kThreadStopWaitMs);
  if (!workerEnded || !fetchEnded) {
    // Logged before the termination: afterwards the log's lock may be gone.
    LogWrite(
        "TwDetectorMainDlg: a thread did not end within %lu ms and is terminated; the closing records are "
        "skipped",
        kThreadStopWaitMs);
    m_worker.Terminate();
    m_rcmd_fetch.Terminate();
    m_controller.Abandon();
    (void)m_rcmd.release();  // a terminated fetch may still be inside it
  } else {
    m_rcmd.reset();  // only once no thread reads it
    // A window nobody saw has no record: the copy it handed over to sends its own.
    if (!m_left_unseen) SendUiReport();
  }
}

void TwDetectorMainDlg::SendUiReport() {
  TwInstallTool::TwUIInfoReport report;
  report.SetIdentity(m_cid, m_tid, GetIdex());
  TwInstallTool::UIInfoValues& values = report.Values();
  values.restoredFromTray = m_actions.tray_clicked;
  values.confirmedLeaving = m_actions.leaving_confirmed;
  values.minimised = m_actions.minimised;
  values.installStartedByUser = m_actions.agreed;
  values.stay = m_actions.leaving_cancelled ? 1 : 0;
  values.recordKind = TwInstallTool::kUiRecordKindWindowClosed;
  values.outcome = static_cast<uint32_t>(m_actions.decision);
  (void)report.Send();
}

// Only what the first page shows is made here; the rest waits for
// OnFirstPageShown, so that a person sees the window as soon as an empty one
// would show.
void TwDetectorMainDlg::OnInitDialog() {
  ::SetWindowTextW(m_hwnd, kTitle);

  if (IsRebootValueInRunOnce()) {
    if (IsSilent()) {
      EndWindow(0);
      return;
    }
    m_reboot_at_start = true;
    ShowFailedPage(kFailedRebootPending);
  }
  ::SetTimer(m_hwnd, kTimerFirstPageShown, USER_TIMER_MINIMUM, nullptr);
}

bool TwDetectorMainDlg::BeforeShowing() {
  m_left_unseen = m_stays && !m_stays();
  return !m_left_unseen;
}

void TwDetectorMainDlg::OnFirstPageShown() {
  if (m_left_unseen || m_first_page_done) return;
  m_first_page_done = true;
  ::KillTimer(m_hwnd, kTimerFirstPageShown);
  // Before the shell and the road's checks, which may load them behind our back.
  win::PreloadSystemLibraries();
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  auto icon = [&](int id, int size) {
    return static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
  };
  // The worker first: the configuration is what the next page needs.
  StartWorker();
  if (!IsSilent()) {
    m_rcmd = std::make_unique<TwInstallRcmdMgr>(win::TempDirectory().value_or(L".\\"));
    (void)m_rcmd_fetch.Start(this, &TwDetectorMainDlg::FetchRecommendation);  // without it, no recommendation
  }
  if (!m_reboot_at_start) {
    m_default_path = DefaultInstallPathHere();
    m_path_box = CreatePathBox(m_hwnd, m_default_path);
    // Made after the layout placed its placeholder: it takes the place and
    // the visibility the placeholder has now (the panel is folded at first).
    if (m_path_box) AdoptRealWindow(id::kPathBox);
  }
  ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon(IDI_TRAY, 32)));
  ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon(IDI_TRAY, 16)));
  m_tray_icon.Reset(icon(IDI_TWINSTALL, 16));
  (void)m_tray.Add(m_hwnd, kTrayId, kMsgTrayIcon, m_tray_icon.Get(), kTitle);  // the window works without it
  if (m_on_first_page) std::exchange(m_on_first_page, nullptr)();
  // Silently, the window agrees by itself, with the default path in its box.
  if (IsSilent()) ::PostMessageW(m_hwnd, kMsgSilentAgree, 0, 0);
}

void TwDetectorMainDlg::StartWorker() {
  if (m_worker.Start(this, &TwDetectorMainDlg::Work)) return;
  // Without its worker the road never runs: the failed page says so at
  // once instead of leaving a window whose buttons do nothing.
  LogWrite("TwDetectorMainDlg: the worker thread did not start (%lu)", ::GetLastError());
  ::PostMessageW(m_hwnd, kMsgFailedPage, kFailedNetwork, 0);
}

void TwDetectorMainDlg::FetchRecommendation() {
  if (m_rcmd->DownloadCfgFile(&m_rcmd_cancel)) m_rcmd->GetRecommendation(2);
  ::SetEvent(m_rcmd_ready.Get());
}

std::wstring TwDetectorMainDlg::RecommendationPrefix() {
  if (!m_rcmd) return {};
  const HANDLE waits[2] = {m_rcmd_ready.Get(), m_quit_event.Get()};
  if (::WaitForMultipleObjects(2, waits, FALSE, kRecommendationWaitMs) != WAIT_OBJECT_0) {
    LogWrite("TwInstallRcmdMgr: no recommendation within %lu ms", kRecommendationWaitMs);
    return RecommendationSwitches(RecommendationResult(), L"DownloadCfgFile Failed");
  }
  return RecommendationSwitches(m_rcmd->Result(), m_rcmd->FailureReason());
}

void TwDetectorMainDlg::Work() {
  m_progress_sink =
      std::make_unique<TwDowloadCallback>(m_hwnd, kMsgDownloadProgress, &m_cancel, kMsgDownloadContinuing);
  m_controller.SetProgressSink(kProgressSinkId, m_progress_sink.get());
  m_controller.SetWindow(m_hwnd);
  if (!m_controller.Init(m_cid, m_tid)) {
    ::PostMessageW(m_hwnd, kMsgFailedPage, kFailedNetwork, 0);
  } else {
    // Agreeing while Init still ran is remembered by the event. Closing the
    // window before agreeing ends the wait instead of leaving the thread to
    // be terminated.
    // Leaving wins over an agreement given while Init still ran: with both
    // set, the first handle listed is the one reported.
    const HANDLE waits[2] = {m_quit_event.Get(), m_start_event.Get()};
    if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
      m_controller.SetInstallPath(m_install_path);
      if (!m_controller.RunDetector(kCheckAndDownload | kVerify)) {
        ::PostMessageW(m_hwnd, kMsgFailedPage, FailedPageKindFor(m_controller.DownloadFailure()), 0);
      } else {
        // Needed only now, for the command lines: the downloads gave the fetch its time.
        if (m_rcmd) m_controller.SetCommandLinePrefix(RecommendationPrefix());
        ::PostMessageW(m_hwnd, kMsgDownloadFinished, 0, 0);
        if (EventExists(kInstallerRunningEvent)) ::PostMessageW(m_hwnd, kMsgEndWindow, 0, 0);
        ::PostMessageW(m_hwnd, kMsgStartInstallDisplay, 0, 0);
        m_controller.RunDetector(kInstall);
      }
    }
  }
  m_controller.Uninit();
  if (IsSilent()) ::PostMessageW(m_hwnd, kMsgEndWindow, 0, 0);
}

void TwDetectorMainDlg::AgreeAndInstall() {
  OnFirstPageShown();  // a person quicker than the first page's timer: what it makes comes first
  if (!IsSilent()) m_actions.agreed = true;
  if (m_path_box) m_install_path = PathBoxText(m_path_box);
  ::SetEvent(m_start_event.Get());
  ShowControl(id::kStartBackground, false);
  ShowControl(id::kStartCaption, false);
  ShowControl(id::kFirstBannerCaption, true);
  ShowControl(id::kStartPage, false);
  ShowControl(id::kProgressPage, true);
  ::SetTimer(m_hwnd, kTimerBanner, 5000, nullptr);
  m_actions.decision = kDecisionAgreed;
  TogglePanel(false);
}

void TwDetectorMainDlg::Disagree() {
  TogglePanel(false);
  switch (RunDisagreeDialog()) {
    case TwDisagreeInstallDlg::kClosed: m_actions.decision = kDecisionClosedDisagreeDialog; break;
    case TwDisagreeInstallDlg::kAgreed:
      AgreeAndInstall();
      m_actions.decision = kDecisionAgreedAfterAll;
      break;
    case TwDisagreeInstallDlg::kGaveUp:
      m_actions.decision = kDecisionGaveUp;
      EndWindow(0);
      break;
    default: break;
  }
}

void TwDetectorMainDlg::TogglePanel(bool open) {
  OnFirstPageShown();  // the panel holds the path box
  if (open == m_panel_open) return;
  m_panel_open = open;
  RECT window;
  ::GetWindowRect(m_hwnd, &window);
  const int panel = ux::DpiScale(kPathPanelHeight);
  const int height = window.bottom - window.top + (open ? panel : -panel);
  ::SetWindowPos(m_hwnd, nullptr, 0, 0, window.right - window.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetControlAttribute(id::kCustomInstallArrow, "skin", open ? "expand_arrow_up" : "expand_arrow_down");
}

void TwDetectorMainDlg::OnPointer(int id, bool entered) {
  if (id == id::kCustomInstallButton) {
    SetControlAttribute(id::kCustomInstallText, "class",
                        entered ? "install_dir_link_foot_hover" : "install_dir_link_foot");
    SetControlIntAttribute(id::kCustomInstallArrow, "sub", entered ? 1 : 0);
  } else if (id == id::kLicenceLink || id == id::kPrivacyLink) {
    SetControlAttribute(id + id::kLinkTextOffset, "class", entered ? "text_agreement_hover" : "text_agreement");
  }
}

void TwDetectorMainDlg::OnClick(int id) {
  switch (id) {
    case id::kCloseButton: LeaveRequest(); break;
    case id::kMinimiseButton:
      m_actions.minimised = true;
      ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case id::kDisagreeButton: Disagree(); break;
    case id::kAgreeAndInstallButton: AgreeAndInstall(); break;
    case id::kCustomInstallButton: TogglePanel(!m_panel_open); break;
    case id::kBrowseButton:
      if (const std::optional<std::wstring> path = BrowseFolder(); path && m_path_box) {
        ::SetWindowTextW(m_path_box, path->c_str());
        ::PostMessageW(m_hwnd, kMsgPathError, ValidateInstallPath(*path, PathQueries()), 0);
      }
      break;
    case id::kRestoreDefaultPathButton: RestoreDefaultPath(); break;
    case id::kLicenceLink: OpenPage(LicencePageUrl()); break;
    case id::kPrivacyLink: OpenPage(PrivacyPageUrl()); break;
    case id::kFinishedButton:
      EndWindow(0);
      if (IsRebootPending()) ShowRebootNotice();
      break;
    case id::kFailedButton:
      if (m_install_failed) OpenPage(CustomerServiceLink(ModuleDirectory()));
      EndWindow(0);
      break;
    default: break;
  }
}

bool TwDetectorMainDlg::OpenPage(const std::wstring& address) { return OpenWebPage(address); }

int TwDetectorMainDlg::AskToLeave() {
  return ShowLiteMsgbox(m_hwnd, L"退出安装程序将不能保护您的系统安全，\n您确定退出吗？", L"", L"", L"",
                        kBoxLeftButton | kBoxRightButton, L"", 0, 0);
}

int TwDetectorMainDlg::RunDisagreeDialog() {
  TwDisagreeInstallDlg dialog;
  RECT rect;
  ::GetWindowRect(m_hwnd, &rect);
  rect.bottom = rect.top + Layer().height;  // over the window without its unfolded panel
  return static_cast<int>(dialog.DoModal(m_hwnd, &rect));
}

void TwDetectorMainDlg::ShowRebootNotice() { tw::ShowRebootNotice(nullptr); }

std::optional<std::wstring> TwDetectorMainDlg::BrowseFolder() { return BrowseInstallFolder(m_hwnd); }

void TwDetectorMainDlg::OnDownloadProgress(int percent, int speed) {
  SetControlText(id::kDownloadText, DownloadProgressText(percent, speed, m_download_continuing));
  SetControlIntAttribute(id::kProgressBar, "value", percent);
  ApplyTooltip(kTipDownloading, percent);
}

void TwDetectorMainDlg::OnDownloadFinished() {
  ShowControl(id::kDownloadText, false);
  ShowControl(id::kInstallText, true);
  SetControlIntAttribute(id::kProgressBar, "value", 100);
  ApplyTooltip(kTipDownloaded, 0);
}

void TwDetectorMainDlg::StartInstallDisplay() {
  EnableControl(id::kCloseButton, false);
  ShowControl(id::kProgressPage, true);
  std::srand(::GetTickCount());
  SetControlIntAttribute(id::kProgressBar, "value", 0);
  ::SetTimer(m_hwnd, kTimerPercent, 150, nullptr);
}

void TwDetectorMainDlg::ShowBanner(unsigned index) {
  SetControlAttribute(id::kBanner, "skin", BannerSkin(index));
  for (int caption = 0; caption < id::kBannerCaptionCount; ++caption) {
    ShowControl(id::kFirstBannerCaption + caption, caption == static_cast<int>(index));
  }
}

void TwDetectorMainDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimerFirstPageShown: OnFirstPageShown(); break;
    case kTimerPercent: {
      bool finished = false;
      const int next = NextSimulatedPercent(m_percent, m_stages, static_cast<unsigned>(std::rand()), finished);
      if (next == m_percent && !finished) return;  // held until the installer reports the stage
      m_percent = next;
      SetControlText(id::kInstallText, InstallProgressText(m_percent));
      SetControlIntAttribute(id::kProgressBar, "value", m_percent);
      ApplyTooltip(kTipInstalling, m_percent);
      if (finished) ::KillTimer(m_hwnd, kTimerPercent);
      break;
    }
    case kTimerBanner:
      m_banner = (m_banner + 1) % id::kBannerCaptionCount;
      ShowBanner(m_banner);
      break;
    case kTimerWatch:
      if (!EventExists(kInstallerRunningEvent)) {
        ::KillTimer(m_hwnd, kTimerWatch);
        ::PostMessageW(m_hwnd, kMsgEndWindow, 0, 0);
      }
      break;
    case kTimerStay:
      ::KillTimer(m_hwnd, kTimerStay);
      // The product installer shows its own window unless it asked for ours.
      if (!(EventExists(kInstallerWindowEvent) && m_controller.GetNoInstallDialogFlag() != 0)) {
        ::PostMessageW(m_hwnd, kMsgEndWindow, 0, 0);
      }
      break;
    default: break;
  }
}

void TwDetectorMainDlg::OnStage(int stage) {
  if (stage < 1 || stage > 5) return;
  m_stages[stage - 1] = true;
  if (stage == 1) {
    ::SetTimer(m_hwnd, kTimerStay, 300, nullptr);
    ::SetTimer(m_hwnd, kTimerWatch, 500, nullptr);
  }
  if (stage == 5) ::PostMessageW(m_hwnd, kMsgEndWindow, 0, 0);
}

void TwDetectorMainDlg::OnInstallSucceeded() {
  EnableControl(id::kCloseButton, true);
  ::KillTimer(m_hwnd, kTimerPercent);
  ApplyTooltip(kTipInstalled, 0);
  ::KillTimer(m_hwnd, kTimerBanner);
  ShowControl(id::kStartBackground, true);
  ShowControl(id::kStartCaption, true);
  ShowControl(id::kBanner, false);
  for (int caption = 0; caption < id::kBannerCaptionCount; ++caption)
    ShowControl(id::kFirstBannerCaption + caption, false);
  ShowControl(id::kStartPage, false);
  ShowControl(id::kProgressPage, false);
  ShowControl(id::kFinishedPage, true);
  m_finished_page = true;
}

void TwDetectorMainDlg::OnInstallFailed() {
  EnableControl(id::kCloseButton, true);
  ::KillTimer(m_hwnd, kTimerPercent);
  m_install_failed = true;
  ApplyTooltip(kTipInstallFailed, 0);
  ShowFailedPage(kFailedInstall);
}

void TwDetectorMainDlg::ShowFailedPage(FailedPageKind kind) {
  ::KillTimer(m_hwnd, kTimerBanner);
  ShowControl(id::kStartPage, false);
  ShowControl(id::kProgressPage, false);
  ShowControl(id::kStartBackground, false);
  ShowControl(id::kStartCaption, false);
  ShowControl(id::kFailedPage, true);
  for (int caption = 0; caption < id::kBannerCaptionCount; ++caption)
    ShowControl(id::kFirstBannerCaption + caption, false);
  SetControlAttribute(id::kBanner, "skin", "mainbg_error");
  const FailedPage page = FailedPageFor(kind);
  ShowControl(id::kFailedText, true);
  SetControlText(id::kFailedText, page.text);
  SetControlText(id::kFailedButtonText, page.button);
  m_failed_page = true;
}

void TwDetectorMainDlg::ApplyTooltip(TooltipKind kind, int percent) {
  if (m_tooltips.Apply(kind)) (void)m_tray.SetTip(TooltipText(kind, percent));
}

void TwDetectorMainDlg::EndWindow(INT_PTR result) { EndDialog(result); }

void TwDetectorMainDlg::LeaveRequest() {
  if (IsRebootPending()) {
    ShowRebootNotice();
    EndWindow(0);
    return;
  }
  if (m_finished_page || m_failed_page) {
    EndWindow(0);
    return;
  }
  if (AskToLeave() & kBoxClosedRight) {
    m_actions.leaving_confirmed = true;
    ::InterlockedIncrement(&m_cancel);
    EndWindow(0);
  } else {
    m_actions.leaving_cancelled = true;
  }
}

void TwDetectorMainDlg::ValidatePathBox() {
  if (!m_path_box) return;
  ::PostMessageW(m_hwnd, kMsgPathError, ValidateInstallPath(PathBoxText(m_path_box), PathQueries()), 0);
}

void TwDetectorMainDlg::OnPathError(int code) {
  m_path_valid = code == kPathOk;
  ShowControl(id::kRestoreDefaultPathButton, code != 0);
  for (int c = kPathUnusable; c <= kPathTooLong; ++c) ShowControl(id::kPathErrorTextBase + c, c == code);
  if (code >= kPathUnusable && code <= kPathTooLong) {
    int width = 0;
    if (ux::CUxWindow* text = FindControlById(id::kPathErrorTextBase + code)) {
      const win::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
      const win::ScopedSelection font(dc.Get(), ux::win::UxFontPool::Instance().Font({}));
      RECT box{0, 0, 0, 0};
      ::DrawTextW(dc.Get(), text->Text().c_str(), static_cast<int>(text->Text().size()), &box,
                  DT_CALCRECT | DT_SINGLELINE);
      width = box.right - box.left;
    }
    const PathErrorPositions positions = PathErrorLayout(width);
    SetControlAttribute(id::kPathErrorTextBase + code, "pos", positions.text);
    SetControlAttribute(id::kRestoreDefaultPathButton, "pos", positions.link);
  }
  EnableControl(id::kAgreeAndInstallButton, code == 0);
  EnableControl(id::kDisagreeButton, code == 0);
}

void TwDetectorMainDlg::RestoreDefaultPath() {
  if (m_path_box) ::SetWindowTextW(m_path_box, m_default_path.c_str());
  OnPathError(0);
}

LRESULT TwDetectorMainDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  handled = true;
  switch (message) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case kMsgDownloadProgress: OnDownloadProgress(static_cast<int>(wparam), static_cast<int>(lparam)); return 0;
    case kMsgDownloadContinuing: m_download_continuing = true; return 0;
    case kMsgTrayIcon:
      if (lparam == WM_LBUTTONDOWN || lparam == WM_RBUTTONDOWN) {
        m_actions.tray_clicked = true;
        ::ShowWindow(m_hwnd, SW_RESTORE);
        ux::win::BringToFront(m_hwnd);
      }
      return 0;
    case kMsgEndWindow: EndWindow(2); return 0;
    case kMsgFailedPage:
      ApplyTooltip(kTipDownloadFailed, 0);
      ShowFailedPage(static_cast<FailedPageKind>(wparam));  // the network, or what the download met (FailedPageKindFor)
      return 0;
    case kMsgPathError: OnPathError(static_cast<int>(wparam)); return 0;
    case kMsgInstallerStage: OnStage(static_cast<int>(wparam)); return 0;
    case kMsgDownloadFinished: OnDownloadFinished(); return 0;
    case kMsgStartInstallDisplay: StartInstallDisplay(); return 0;
    case kMsgInstallSucceeded: OnInstallSucceeded(); return 0;
    case kMsgInstallFailed: OnInstallFailed(); return 0;
    case kMsgSilentAgree: AgreeAndInstall(); return 0;
    case WM_TIMER: OnTimer(wparam); return 0;
    case WM_DPICHANGED:
      // The framework has scaled itself; the path box takes the new font.
      if (m_path_box) {
        ::SendMessageW(m_path_box, WM_SETFONT,
                       reinterpret_cast<WPARAM>(ux::win::UxFontPool::Instance().Font({0, true})), TRUE);
      }
      handled = false;
      return 0;
    case WM_CLOSE: LeaveRequest(); return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        LeaveRequest();
        return 0;
      }
      handled = false;
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kPathBoxId && HIWORD(wparam) == EN_CHANGE) ValidatePathBox();
      else handled = false;
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lparam) == m_path_box) {
        return reinterpret_cast<LRESULT>(ColourPathBox(m_path_box, reinterpret_cast<HDC>(wparam)));
      }
      handled = false;
      return 0;
    case WM_NOTIFY: {
      if (wparam != static_cast<WPARAM>(ux::kTopLevelNoticeId)) {
        handled = false;
        return 0;
      }
      const auto* notice = reinterpret_cast<const ux::UxNotice*>(lparam);
      if (notice->code == ux::UXN_CLICK) {
        OnClick(notice->ctrlId);
      } else if (notice->code == ux::UXN_POINTER_ENTER || notice->code == ux::UXN_POINTER_LEAVE) {
        // Enter comes with every move: act only when the pointer changes control.
        const bool entered = notice->code == ux::UXN_POINTER_ENTER;
        if (entered && notice->ctrlId == m_pointer_over) return 0;
        if (!entered && notice->ctrlId != m_pointer_over) return 0;
        m_pointer_over = entered ? notice->ctrlId : 0;
        OnPointer(notice->ctrlId, entered);
      }
      return 0;
    }
    case WM_DESTROY:
      if (m_path_box) DestroyPathBoxState(m_path_box);
      m_tray.Remove();
      for (UINT_PTR timer : {kTimerPercent, kTimerBanner, kTimerWatch, kTimerStay}) ::KillTimer(m_hwnd, timer);
      handled = false;
      return 0;
    default: handled = false; return 0;
  }
}

}  // namespace tw
