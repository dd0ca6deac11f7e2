#include "ui/hosts/shadow_window_win.h"

#include "platform/win/gdi_handles_win.h"
#include "ui/base/dpi.h"
#include "ui/drawing/gdi_canvas_win.h"
#include "ui/drawing/skin.h"

namespace tw::ux::win {

int CShadowWnd::ShadowSize() { return DpiScale(kShadowSize); }

bool CShadowWnd::Create(HWND owner, IShadowPaintHook* hook) {
  m_owner = owner;
  m_hook = hook;
  return CreateFrameworkWindow(L"UxShadowWndClass", WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW, L"",
                               WS_POPUPWINDOW, 0, 0, 0, 0, owner, nullptr) != nullptr;
}

LRESULT CShadowWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return ::DefWindowProcW(m_hwnd, message, wparam, lparam);
}

void CShadowWnd::Place() {
  RECT owner;
  if (!m_hwnd || !::GetWindowRect(m_owner, &owner) || ::IsRectEmpty(&owner)) {
    if (m_hwnd) ::ShowWindow(m_hwnd, SW_HIDE);
    return;
  }
  ::SetWindowPos(m_hwnd, m_owner, owner.left - ShadowSize(), owner.top - ShadowSize(), 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
}

void CShadowWnd::Rebuild() {
  RECT owner;
  if (!m_hwnd || !::GetWindowRect(m_owner, &owner)) return;
  const int width = owner.right - owner.left + 2 * ShadowSize();
  const int height = owner.bottom - owner.top + 2 * ShadowSize();
  auto bitmap = GdiImage::Create(width, height);
  if (!bitmap) return;
  bool painted = m_hook && m_hook->PaintShadow(*bitmap, ShadowSize());
  const tw::win::WindowDc screen(nullptr);
  const tw::win::BitmapDc memory_dc(bitmap->Bitmap(), screen.Get());
  HDC memory = memory_dc.Get();
  if (!painted) {
    if (CUxSkinBase* skin = UxSkinPool::Instance().Find("dlg_shadow")) {
      // Corners of (skin width - 2) / 2 pixels, edges stretched.
      const int corner = std::max(0, (skin->SkinFrameSize().cx - 2) / 2);
      GdiCanvas canvas(memory, *bitmap, nullptr);
      auto* image_skin = dynamic_cast<CUxImageSkinBase*>(skin);
      if (image_skin) {
        CUxPngSkin corners;
        corners.ApplyAttribute("src", std::to_string(image_skin->ImageId()), true);
        const std::string margin = std::to_string(corner);
        for (const char* name : {"margin_left", "margin_right", "margin_top", "margin_bottom"}) {
          corners.ApplyAttribute(name, margin, true);
        }
        corners.DrawSkin(canvas, {0, 0, width, height}, 0, false, 255);
        painted = true;
      }
    }
  }
  if (painted) {
    POINT position{owner.left - ShadowSize(), owner.top - ShadowSize()};
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hwnd, screen.Get(), &position, &size, memory, &source, 0, &blend, ULW_ALPHA);
  }
  m_last_size = {owner.right - owner.left, owner.bottom - owner.top};
  m_rebuild_pending = false;
  if (painted && ::IsWindowVisible(m_owner)) {
    ::SetWindowPos(m_hwnd, m_owner, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

void CShadowWnd::Refresh() {
  if (m_rebuild_pending && ::IsWindowVisible(m_owner)) Rebuild();
}

void CShadowWnd::Follow(std::unique_ptr<CShadowWnd>& shadow, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!shadow) return;
  switch (message) {
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_PAINT:
    case WM_SHOWWINDOW:
    case WM_WININICHANGE:
    case WM_EXITSIZEMOVE:
      shadow->OnOwnerMessage(message, wparam, lparam);
      if (message == WM_DESTROY) shadow.reset();
      break;
    default: break;
  }
}

void CShadowWnd::OnOwnerMessage(UINT message, WPARAM wparam, LPARAM /*lparam*/) {
  if (!m_hwnd) return;
  switch (message) {
    case WM_MOVE: Place(); break;
    case WM_SIZE: {
      RECT owner;
      ::GetWindowRect(m_owner, &owner);
      if (wparam == SIZE_MINIMIZED || ::IsRectEmpty(&owner)) {
        ::ShowWindow(m_hwnd, SW_HIDE);
        break;
      }
      const SIZE size{owner.right - owner.left, owner.bottom - owner.top};
      if (size.cx != m_last_size.cx || size.cy != m_last_size.cy) m_rebuild_pending = true;
      if (::IsWindowVisible(m_owner) && !::IsWindowVisible(m_hwnd)) {
        Rebuild();
        ::ShowWindow(m_hwnd, SW_SHOWNA);
      }
      break;
    }
    case WM_SHOWWINDOW:
      if (!wparam) ::ShowWindow(m_hwnd, SW_HIDE);
      else m_rebuild_pending = true;
      break;
    case WM_DESTROY:
      ::ShowWindow(m_hwnd, SW_HIDE);
      DestroyOwnWindow();
      break;
    case WM_WININICHANGE:
      if (wparam == SPI_SETWORKAREA || wparam == SPI_SETNONCLIENTMETRICS) Place();
      break;
    case WM_EXITSIZEMOVE:
    case WM_PAINT: Refresh(); break;
  }
}

}  // namespace tw::ux::win
