#include "windows/disagree_dialog_win.h"

#include "windows/web_pages_win.h"

namespace tw {

void TwDisagreeInstallDlg::OpenPage(const std::wstring& address) { (void)OpenWebPage(address); }

LRESULT TwDisagreeInstallDlg::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  if (message == WM_CLOSE) {
    ::SendMessageW(m_hwnd, WM_COMMAND, IDCANCEL, 0);
    handled = true;
    return 0;
  }
  if (message != WM_NOTIFY || wparam != static_cast<WPARAM>(ux::kTopLevelNoticeId)) return 0;
  const auto* notice = reinterpret_cast<const ux::UxNotice*>(lparam);
  handled = true;
  if (notice->code != ux::UXN_CLICK) return 0;
  switch (notice->ctrlId) {
    case 1001: EndDialog(kClosed); break;
    case 1002: OpenPage(PrivacyPageUrl()); break;
    case 1003: EndDialog(kAgreed); break;
    case 1004: EndDialog(kGaveUp); break;
    case IDCANCEL: EndDialog(IDCANCEL); break;  // WM_CLOSE and Escape: the main window ignores it
    default: break;
  }
  return 0;
}

}  // namespace tw
