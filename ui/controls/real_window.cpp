#include "ui/controls/real_window.h"

#include "ui/controls/panel.h"

namespace tw::ux {

CUxRealWnd::~CUxRealWnd() {
  if (m_host && m_host->HostWindowAlive()) m_host->ShowRealWindow(m_id, false);
}

void CUxRealWnd::AttachHost(IUxContainer* host) {
  CUxWindow::AttachHost(host);
  m_host_window = host ? host->HostWindow() : nullptr;
}

intptr_t CUxRealWnd::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kPaint) return handled = true, 0;
  const intptr_t result = CUxWindow::HandleUxMessage(message, wparam, lparam, handled);
  if (message == msg::kShowWindow && m_host && m_host->HostWindowAlive()) m_host->ShowRealWindow(m_id, IsVisible(true));
  if (message == msg::kDestroy && m_host && m_host->HostWindowAlive()) m_host->ShowRealWindow(m_id, false);
  return result;
}

void CUxRealWnd::SyncRealWindow() {
  if (!m_host || !m_host->HostWindowAlive()) return;
  // Window code creates the real window in WM_INITDIALOG, after the first
  // layout already placed the placeholder: put it where the placeholder is.
  if (!m_rect.IsEmpty()) m_host->PlaceRealWindow(m_id, m_rect);
  m_host->ShowRealWindow(m_id, IsVisible(true));
}

void CUxRealWnd::OnPlaced(const UxPlacement& placement) {
  const UxRect before = m_rect;
  CUxWindow::OnPlaced(placement);
  if (m_rect == before || !m_host || !m_host->HostWindowAlive()) return;
  m_host->PlaceRealWindow(m_id, m_rect);
  UxNotice notice;
  notice.hwndFrom = m_host->HostWindow();
  notice.idFrom = static_cast<uintptr_t>(m_host->HostControlId());
  notice.code = UXN_CHILD_WINDOW_RESIZE;
  notice.ctrlId = m_id;
  notice.rect = m_rect;
  m_host->SendNotice(static_cast<uintptr_t>(m_host->HostControlId()), notice);
}

void SyncRealWindows(CUxWindow& root) {
  if (auto* real = dynamic_cast<CUxRealWnd*>(&root)) return real->SyncRealWindow();
  if (!root.IsPanel()) return;
  for (auto& child : static_cast<CUxPanel&>(root).Children()) SyncRealWindows(*child);
}

}  // namespace tw::ux
