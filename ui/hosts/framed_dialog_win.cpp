#include "ui/hosts/framed_dialog_win.h"

#include <commctrl.h>

#include "ui/controls/real_window.h"

namespace tw::ux::win {

HWND CUxDialogView::Create(HWND frame, int width, int height) {
  if (!LayoutLoaded() && !LoadLayout()) return nullptr;
  DestroyOwnWindow();
  m_full_repaint = true;
  HWND hwnd = CreateFrameworkWindow(L"UxDialogView", WS_EX_CONTROLPARENT, L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0, width, height, frame,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFramedViewId)));
  if (!hwnd) return nullptr;
  AttachToWindow();
  return hwnd;
}

LRESULT CUxDialogView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  switch (message) {
    case WM_SIZE: OnSize(); return 0;
    case WM_MOUSEMOVE:
      // The frame hears every move too (the window animator and window code use it).
      ::PostMessageW(::GetParent(m_hwnd), WM_MOUSEMOVE, wparam, lparam);
      break;
    case WM_MOUSELEAVE: ::PostMessageW(::GetParent(m_hwnd), WM_MOUSELEAVE, 0, 0); break;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL: return ::SendMessageW(::GetParent(m_hwnd), message, wparam, lparam);
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (HandleViewMessage(message, wparam, lparam, result)) return result;
      if (header && header->code == static_cast<UINT>(NM_CUSTOMDRAW)) return Dispatch(message, wparam, lparam);
      return ::SendMessageW(::GetParent(m_hwnd), message, wparam, lparam);
    }
    default: break;
  }
  if (HandleViewMessage(message, wparam, lparam, result)) return result;
  return Dispatch(message, wparam, lparam);
}

CUxDialogImpl::~CUxDialogImpl() { DestroyOwnWindow(); }

HWND CUxDialogImpl::Create(HWND owner, const RECT* rect) {
  CUxDialogView& view = m_view;
  if (!view.LayoutLoaded() && !view.LoadLayout()) return nullptr;
  DestroyOwnWindow();
  const UxLayerDescription& layer = view.Layer();
  const RECT place = InitialWindowRect(rect, layer.width, layer.height, layer.min_width, layer.min_height);
  const int width = place.right - place.left, height = place.bottom - place.top;
  HWND frame =
      CreateFrameworkWindow(L"UxDialogImpl", layer.ex_style & ~(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE),
                            layer.title.c_str(), layer.style, place.left, place.top, width, height, owner, nullptr);
  if (!frame) return nullptr;
  if (m_shadow_enabled && !(layer.style & WS_CHILD)) {
    m_shadow = std::make_unique<CShadowWnd>();
    if (!m_shadow->Create(frame, m_shadow_hook)) m_shadow.reset();
  }
  RECT client;
  ::GetClientRect(frame, &client);
  if (!view.Create(frame, client.right, client.bottom)) {
    DestroyOwnWindow();
    return nullptr;
  }
  ::SendMessageW(frame, WM_INITDIALOG, 0, 0);
  if (!Exists()) return nullptr;
  view.Layout().ForEachLoadedSection([](CUxDialog& section) { SyncRealWindows(section); });
  view.LayoutAll();
  return frame;
}

INT_PTR CUxDialogImpl::DoModal(HWND owner, const RECT* rect) {
  m_modal = ModalState();
  return RunModalWindow(*this, owner, rect) ? m_modal.result : 0;
}

void CUxDialogImpl::ShowModalWindow(HWND window) {
  if (!m_show_on_start) return;
  if (m_bring_to_front) BringToFront(window);
  else ::ShowWindow(window, SW_SHOW);
}

void CUxDialogImpl::RunModalLoop() { tw::ux::win::RunModalLoop(m_hwnd, m_view.Hwnd(), m_modal); }

LRESULT CUxDialogImpl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  CShadowWnd::Follow(m_shadow, message, wparam, lparam);
  switch (message) {
    case WM_NCCALCSIZE: return 0;  // the view fills the whole window
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: ::SendMessageW(m_hwnd, WM_COMMAND, IDCANCEL, 0); return 0;
    case WM_SETFOCUS:
      if (m_view.Exists()) ::SetFocus(m_view.Hwnd());
      return 0;
    case WM_KEYDOWN:
      if ((wparam == VK_RETURN || wparam == VK_ESCAPE) && ::IsWindowEnabled(m_hwnd) &&
          !(::GetKeyState(VK_CONTROL) & 0x8000)) {
        ::SendMessageW(m_hwnd, WM_COMMAND, wparam == VK_RETURN ? IDOK : IDCANCEL, 0);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        UxNotice notice;
        notice.hwndFrom = m_view.Hwnd();
        notice.idFrom = kFramedViewId;
        notice.code = UXN_CLICK;
        notice.ctrlId = LOWORD(wparam);
        notice.ctrlTag = "";
        ::SendMessageW(m_hwnd, WM_NOTIFY, kFramedViewId, reinterpret_cast<LPARAM>(&notice));
        return 0;
      }
      break;
    case WM_SIZE:
      if (m_view.Exists() && wparam != SIZE_MINIMIZED) {
        ::SetWindowPos(m_view.Hwnd(), nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam), SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    case kShowFrame:
      if (m_bring_to_front) BringToFront(m_hwnd);
      else ::ShowWindow(m_hwnd, SW_SHOW);
      return 0;
    case kEndWithStoredResult: EndDialog(m_pending_result); return 0;
    default: break;
  }
  return Dispatch(message, wparam, lparam);
}

}  // namespace tw::ux::win
