// The main window's rules that need no window: progress and tooltip texts,
// the tooltip order, the simulated installation percentage, the failed
// pages, the banners and the user-action record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tw {

// Window messages of the main window (WM_USER = 1024).
constexpr unsigned kMsgDownloadProgress = 1127;
constexpr unsigned kMsgTrayIcon = 1128;
constexpr unsigned kMsgEndWindow = 1130;
constexpr unsigned kMsgFailedPage = 1131;
constexpr unsigned kMsgPathError = 1132;
constexpr unsigned kMsgInstallerStage = 1133;
constexpr unsigned kMsgDownloadFinished = 1134;
constexpr unsigned kMsgInstallSucceeded = 1136;
constexpr unsigned kMsgInstallFailed = 1137;
constexpr unsigned kMsgSilentAgree = 1138;
constexpr unsigned kMsgDownloadContinuing = 1139;  // the download continues what an earlier run fetched

// "%dK" up to 1024 bytes per millisecond, else "%.1lfM".
std::wstring SpeedText(int bytes_per_ms);
// "已下载 40%，…", or, for a download that continues an earlier run's, "继续下载 40%，…".
std::wstring DownloadProgressText(int percent, int bytes_per_ms, bool continuing = false);
std::wstring InstallProgressText(int percent);

// The tray icon's tooltips, applied only in this order.
enum TooltipKind : int {
  kTipDownloading = 1,  // "已下载：N%"
  kTipDownloaded = 2,
  kTipDownloadFailed = 3,
  kTipInstalling = 4,  // "已安装：N%"
  kTipInstalled = 5,
  kTipInstallFailed = 6,
};

class TooltipOrder {
 public:
  // True when `kind` may be shown now (and remembers it).
  bool Apply(TooltipKind kind) noexcept;
  int Largest() const noexcept { return m_largest; }

 private:
  int m_largest = 0;
};
std::wstring TooltipText(TooltipKind kind, int percent);

// The installer's stages 1..5 hold the display at 10, 20, 85, 95 and 100 %
// until each is reported (a step stops at the next unreported threshold). Returns the next percentage for one tick of
// timer 1 (`random` any non-negative number); `finished` tells when it reached 100.
int NextSimulatedPercent(int percent, const bool (&stages)[5], unsigned random, bool& finished) noexcept;

struct FailedPage {
  const wchar_t* text;
  const wchar_t* button;
};
// What the failed page says, and so its text and button. The kind travels
// as kMsgFailedPage's WPARAM.
enum FailedPageKind : int {
  kFailedNetwork = 0,
  kFailedRebootPending = 1,
  kFailedInstall = 2,
  kFailedSignIn = 3,  // a web page instead of the package: the network asks the user to sign in first
  kFailedNoSpace = 4,
};
FailedPage FailedPageFor(FailedPageKind kind) noexcept;
// The failed page's kind for what the download met: sign-in for a web page
// instead of the package, no space for too little; the network otherwise.
FailedPageKind FailedPageKindFor(int downloadFailure) noexcept;

// "mainbg_banner<index>".
std::string BannerSkin(unsigned index);

// What the person decided, the UI report's outcome.
enum UserDecision : int {
  kDecisionNone = 0,
  kDecisionAgreed = 1,          // on the start page
  kDecisionAgreedAfterAll = 3,  // in the disagree dialog
  kDecisionGaveUp = 4,          // in the disagree dialog
  kDecisionClosedDisagreeDialog = 5,
};

// What the UI report records of the user.
struct UserActionRecord {
  bool tray_clicked = false;
  bool leaving_confirmed = false;
  bool minimised = false;
  bool agreed = false;
  bool leaving_cancelled = false;
  UserDecision decision = kDecisionNone;
};

// Whether a link read from a file beside the installer may be opened: only
// an http or https address with a host, without blanks, quotes or control
// characters. A program path, a file: URL or a UNC path given to the
// shell's "open" would start a program with the installer's rights.
bool IsWebLink(std::wstring_view link);

}  // namespace tw
