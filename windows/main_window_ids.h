// The control ids of the main window's layout (11001). The layout, the
// window code and its tests name the same controls; the demo and the
// end-to-end tests read these names to ask the layout renderer where a
// control is, so a moved button needs no second edit.
#pragma once

namespace tw::main_window_id {

// Title bar.
constexpr int kCloseButton = 1;
constexpr int kMinimiseButton = 2;
// The banner image behind the title bar (its skin changes with the road).
constexpr int kBanner = 3;
// The start page's picture, laid over the banner; the road's pages hide it.
constexpr int kStartBackground = 4;

// Banner captions 600..603, one shown per banner while the road runs, and
// the start page's caption.
constexpr int kFirstBannerCaption = 600;
constexpr int kBannerCaptionCount = 4;
constexpr int kStartCaption = 604;

// Start page.
constexpr int kStartPage = 100;
constexpr int kAgreeAndInstallButton = 1011;
constexpr int kDisagreeButton = 101;
constexpr int kLicenceLink = 160;
constexpr int kPrivacyLink = 170;
// A link's text is the control after it (161, 171).
constexpr int kLinkTextOffset = 1;
constexpr int kCustomInstallButton = 102;
constexpr int kCustomInstallArrow = 107;
constexpr int kCustomInstallText = 108;

// The path panel under the start page.
constexpr int kPathPanel = 103;
constexpr int kPathBox = 106;
constexpr int kBrowseButton = 104;
// Path error texts 151..155 for validation codes 1..5.
constexpr int kPathErrorTextBase = 150;
constexpr int kRestoreDefaultPathButton = 150;

// Download and installation page.
constexpr int kProgressPage = 200;
constexpr int kDownloadText = 201;
constexpr int kInstallText = 205;
constexpr int kProgressBar = 206;

// Finished page.
constexpr int kFinishedPage = 400;
constexpr int kFinishedButton = 401;

// Failed page.
constexpr int kFailedPage = 500;
constexpr int kFailedText = 507;
constexpr int kFailedButton = 501;
constexpr int kFailedButtonText = 508;

}  // namespace tw::main_window_id
