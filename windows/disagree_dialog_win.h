// The "disagree" overlay: a layered mask over the main window with a panel
// that explains the privacy statement and asks once more. Results: 101 closed,
// 102 agree and install, 103 give up.
#pragma once

#include "ui/hosts/dialog_host_win.h"

namespace tw {

class TwDisagreeInstallDlg : public ux::win::CUxDialogViewImplEx {
 public:
  static constexpr int kClosed = 101;
  static constexpr int kAgreed = 102;
  static constexpr int kGaveUp = 103;

  TwDisagreeInstallDlg() : CUxDialogViewImplEx(11006) { EnableShadow(false); }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  // The panel draws its own soft edge; no outline around the mask.
  void PaintOverlay(ux::win::GdiCanvas&) override {}
  // A seam for tests: how a page is opened.
  virtual void OpenPage(const std::wstring& address);
};

}  // namespace tw
