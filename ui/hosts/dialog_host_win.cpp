#include "ui/hosts/dialog_host_win.h"

#include <windowsx.h>

#include "platform/win/gdi_handles_win.h"
#include <algorithm>

#include "ui/base/dpi.h"
#include "ui/hosts/dwm_glass_win.h"
#include "ui/hosts/hit_code.h"
#include "ui/controls/real_window.h"

namespace tw::ux::win {

CUxDialogViewImplEx::~CUxDialogViewImplEx() { DestroyOwnWindow(); }

HWND CUxDialogViewImplEx::Create(HWND owner, const RECT* rect) {
  if (!LayoutLoaded() && !LoadLayout()) return nullptr;
  DestroyOwnWindow();
  const RECT place = InitialWindowRect(rect, Layer().width, Layer().height, Layer().min_width, Layer().min_height);
  m_shown_once = false;
  m_full_repaint = true;
  HWND hwnd =
      CreateFrameworkWindow(L"UxDialogViewImplEx", GetLayerExStyle(), Layer().title.c_str(), GetLayerStyle(),
                            place.left, place.top, place.right - place.left, place.bottom - place.top, owner, nullptr);
  if (!hwnd) return nullptr;
  AttachToWindow();
  if (m_shadow_enabled && !IsChildWindow()) {
    m_shadow = std::make_unique<CShadowWnd>();
    if (!m_shadow->Create(hwnd, m_shadow_hook)) m_shadow.reset();
  }
  if (m_glass_enabled && TryGlass()) {
    ::SetWindowLongW(hwnd, GWL_EXSTYLE, ::GetWindowLongW(hwnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
  }
  ::SendMessageW(hwnd, WM_INITDIALOG, 0, 0);
  if (!Exists()) return nullptr;  // window code gave up in WM_INITDIALOG
  m_layout.ForEachLoadedSection([](CUxDialog& section) { SyncRealWindows(section); });
  ::SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (m_hwnd == hwnd && Layer().width && Layer().height) LayoutAll();
  return hwnd;
}

INT_PTR CUxDialogViewImplEx::DoModal(HWND owner, const RECT* rect) {
  m_modal = ModalState();
  return RunModalWindow(*this, owner, rect) ? m_modal.result : 0;
}

void CUxDialogViewImplEx::ShowModalWindow(HWND window) {
  if (!BeforeShowing()) {
    EndDialog(0);
    return;
  }
  if (!m_show_on_start) return;
  if (!m_bring_to_front) {
    ::ShowWindow(window, SW_SHOW);
    return;
  }
  BringToFront(window);
  if (IsLayered()) ::SendMessageW(window, WM_PAINT, 0, 0);
}

void CUxDialogViewImplEx::RunModalLoop() { tw::ux::win::RunModalLoop(m_hwnd, m_hwnd, m_modal); }

bool CUxDialogViewImplEx::TryGlass() {
  m_glass_active = DwmGlass::Instance().Apply(m_hwnd);
  return m_glass_active;
}

void CUxDialogViewImplEx::ApplyWindowRegion() {
  RECT client;
  ::GetClientRect(m_hwnd, &client);
  const tw::win::UniqueRegion region(::CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, 2, 2));
  DwmGlass::Instance().BlurBehind(m_hwnd, region.Get());
}

void CUxDialogViewImplEx::PaintOverlay(GdiCanvas& canvas) {
  // A 2-pixel pen on the closed outline through the client's corners covers
  // exactly the outermost ring of pixels, each once: blending the ring gives
  // GDI+'s pixels without setting up GDI+, which under Wine costs more than
  // painting every control of a window.
  if (!m_bitmap) return;
  const int w = m_bitmap->Width(), h = m_bitmap->Height();
  const UxColour grey = MakeColour(138, 138, 138);
  constexpr int kAlpha = 100;
  canvas.FillAlpha({0, 0, w, 1}, grey, kAlpha);
  if (h > 1) canvas.FillAlpha({0, h - 1, w, h}, grey, kAlpha);
  canvas.FillAlpha({0, 1, 1, h - 1}, grey, kAlpha);
  if (w > 1) canvas.FillAlpha({w - 1, 1, w, h - 1}, grey, kAlpha);
}

void CUxDialogViewImplEx::Output(HDC paint_dc, HDC memory_dc) {
  UxHostCore::Output(paint_dc, memory_dc);
  if (m_glass_active) ApplyWindowRegion();
  if (m_shadow) m_shadow->Refresh();
}

LRESULT CUxDialogViewImplEx::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  CShadowWnd::Follow(m_shadow, message, wparam, lparam);
  LRESULT result = 0;
  switch (message) {
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) return Dispatch(message, wparam, lparam);
      if (wparam == SIZE_MAXIMIZED && !Layer().resizable) {
        // Restore first (it needs the maximised state to know where to go back).
        ::ShowWindow(m_hwnd, SW_RESTORE);
        ::SetWindowLongW(m_hwnd, GWL_STYLE, ::GetWindowLongW(m_hwnd, GWL_STYLE) & ~WS_MAXIMIZE);
        return 0;
      }
      OnSize();
      return Dispatch(message, wparam, lparam);
    case WM_NCCALCSIZE: {
      if (wparam) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lparam);
        RECT& client = params->rgrc[0];
        if (Layer().hold_size && Layer().width && Layer().height) {
          client.right = client.left + Layer().width;
          client.bottom = client.top + Layer().height;
        } else {
          if (client.right - client.left < Layer().min_width) client.right = client.left + Layer().min_width;
          if (client.bottom - client.top < Layer().min_height) client.bottom = client.top + Layer().min_height;
        }
      }
      return 0;
    }
    case WM_NCHITTEST: {
      POINT point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ::ScreenToClient(m_hwnd, &point);
      RECT client;
      ::GetClientRect(m_hwnd, &client);
      m_last_hit = HostHitCode({client.left, client.top, client.right, client.bottom}, point.x, point.y,
                               Layer().resizable, IsChildWindow());
      return ::DefWindowProcW(m_hwnd, message, wparam, lparam);
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      MONITORINFO monitor{};
      monitor.cbSize = sizeof monitor;
      if (::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = Layer().resizable ? monitor.rcWork : monitor.rcMonitor;
        info->ptMaxPosition = {area.left - monitor.rcMonitor.left, area.top - monitor.rcMonitor.top};
        info->ptMaxSize = {area.right - area.left, area.bottom - area.top};
        info->ptMaxTrackSize = info->ptMaxSize;
      }
      info->ptMinTrackSize = {Layer().width, Layer().height};
      return 0;
    }
    case WM_ENTERSIZEMOVE:
      if (m_no_full_drag) {
        ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &m_full_drag_before, 0);
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
      }
      return Dispatch(message, wparam, lparam);
    case WM_EXITSIZEMOVE:
      if (m_no_full_drag) ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, m_full_drag_before, nullptr, 0);
      return Dispatch(message, wparam, lparam);
    case WM_DPICHANGED: {
      // What window code added below the layout (an unfolded panel) grows
      // with the factor too.
      RECT current;
      ::GetWindowRect(m_hwnd, &current);
      const int old_dpi = CurrentDpi(), new_dpi = HIWORD(wparam);
      const int added = std::max(0, static_cast<int>(current.bottom - current.top) - Layer().height);
      ApplyNewDpi(new_dpi);
      // The system's suggestion keeps the window's place on the new monitor.
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      ::SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, Layer().width,
                     Layer().height + ::MulDiv(added, new_dpi, old_dpi), SWP_NOZORDER | SWP_NOACTIVATE);
      LayoutAll();
      return Dispatch(message, wparam, lparam);
    }
    case WM_DWMCOMPOSITIONCHANGED:
      if (m_glass_enabled) {
        const LONG ex_style = ::GetWindowLongW(m_hwnd, GWL_EXSTYLE);
        if (!DwmGlass::Instance().CompositionEnabled()) {
          m_glass_active = false;
          if (Layer().layered_asked) ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ex_style | WS_EX_LAYERED);
        } else {
          ::SetWindowLongW(m_hwnd, GWL_EXSTYLE, ex_style & ~WS_EX_LAYERED);
          (void)TryGlass();
        }
        m_full_repaint = true;
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
      }
      return Dispatch(message, wparam, lparam);
    case WM_SHOWWINDOW:
      if (wparam && !m_shown_once && IsLayered()) {
        m_shown_once = true;
        ::SendMessageW(m_hwnd, WM_PAINT, 0, 0);
      }
      return Dispatch(message, wparam, lparam);
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        Notify(UXN_CLICK, LOWORD(wparam), "");
        return 0;
      }
      return Dispatch(message, wparam, lparam);
    case WM_DESTROY:
      DetachAccessibility();
      DiscardTimeline();
      m_memory_dc.Select(nullptr);
      m_bitmap.reset();
      return Dispatch(message, wparam, lparam);
    default:
      if (HandleViewMessage(message, wparam, lparam, result)) return result;
      return Dispatch(message, wparam, lparam);
  }
}

}  // namespace tw::ux::win
