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

// Tooltip kinds 1..6, applied only in increasing order.
class TooltipOrder {
 public:
  // True when `kind` may be shown now (and remembers it).
  bool Apply(int kind) noexcept;
  int Largest() const noexcept { return m_largest; }

 private:
  int m_largest = 0;
};
std::wstring TooltipText(int kind, int percent);

// The installer's stages 1..5 hold the display at 10, 20, 85, 95 and 100 %
// until each is reported (a step stops at the next unreported threshold). Returns the next percentage for one tick of
// timer 1 (`random` any non-negative number); `finished` tells when it reached 100.
int NextSimulatedPercent(int percent, const bool (&stages)[5], unsigned random, bool& finished) noexcept;

struct FailedPage {
  const wchar_t* text;
  const wchar_t* button;
};
FailedPage FailedPageFor(int kind) noexcept;
// The failed page's kind for what the download met: 3 a web page instead of
// the package (the network asks the user to sign in first), 4 too little
// space; 0 (the network) for anything else.
int FailedPageKindFor(int downloadFailure) noexcept;

// "mainbg_banner<index>".
std::string BannerSkin(unsigned index);

// What the UI report records of the user.
struct UserActionRecord {
  bool tray_clicked = false;
  bool leaving_confirmed = false;
  bool minimised = false;
  bool agreed = false;
  bool leaving_cancelled = false;
  int decision = 0;  // 0 none, 1 start page, 3 disagree dialog agreed, 4 gave up, 5 closed it
};

// Whether a link read from a file beside the installer may be opened: only
// an http or https address with a host, without blanks, quotes or control
// characters. A program path, a file: URL or a UNC path given to the
// shell's "open" would start a program with the installer's rights.
bool IsWebLink(std::wstring_view link);

}  // namespace tw
