#include "windows/window_animator_win.h"

#include "platform/win/gdi_handles_win.h"
#include "ui/drawing/gdiplus_win.h"

namespace tw {

namespace {

constexpr UINT kDrawFrame = WM_APP + 7;
constexpr wchar_t kClassName[] = L"TwWindowAnimator";

ATOM RegisterAnimatorClass(WNDPROC proc) {
  static ATOM atom = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc);
  }();
  return atom;
}

// The window whose pixels are taken: a framed box paints in its view (1000).
HWND PaintedWindow(HWND target) {
  HWND view = ::GetDlgItem(target, 1000);
  return view ? view : target;
}

}  // namespace

TwWindowAnimator::~TwWindowAnimator() { Discard(); }

bool TwWindowAnimator::SetKinds(int show_kind, int close_kind) {
  if (m_running) return false;
  m_show_kind = show_kind;
  m_close_kind = close_kind;
  return true;
}

void TwWindowAnimator::Discard() {
  m_stop = true;
  // The thread only posts to this thread's windows, so joining cannot wait on us.
  if (m_thread.joinable()) m_thread.join();
  m_stop = false;
  m_running = false;
  if (m_window && ::IsWindow(m_window)) ::DestroyWindow(m_window);
  m_window = nullptr;
}

bool TwWindowAnimator::Start(HWND target, int operation) {
  if (!target) return false;
  if (operation == kClose && !(m_window && ::IsWindowVisible(m_window)) && !::IsWindowVisible(target)) return false;
  Discard();
  m_target = target;
  m_operation = operation;
  m_frames_drawn = 0;
  RECT rect;
  ::GetWindowRect(target, &rect);
  m_geometry = ComputeAnimatorGeometry({rect.left, rect.top, rect.right, rect.bottom});
  const AnimatorRect& area = m_geometry.window;

  // The snapshot: the target's own pixels at (4, 4), inside a rectangle of the animator's size.
  m_snapshot = ux::win::GdiImage::Create(area.Width(), area.Height());
  if (!m_snapshot) return false;
  {
    const win::BitmapDc memory(m_snapshot->Bitmap());
    ::SetViewportOrgEx(memory.Get(), kAnimatorShadow, kAnimatorShadow, nullptr);
    ::SendMessageW(PaintedWindow(target), WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
    ::GdiFlush();
  }

  RegisterAnimatorClass(&TwWindowAnimator::Proc);
  m_window = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, area.left, area.top,
                               area.Width(), area.Height(), target, nullptr, ::GetModuleHandleW(nullptr), this);
  if (!m_window) return false;
  ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  DrawFrame(0);
  ::SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  // Closing: only the snapshot is seen from now on.
  if (operation == kClose) ::ShowWindow(target, SW_HIDE);

  m_running = true;
  const HWND animator = m_window;
  const int operation_copy = operation;
  m_thread = std::thread([this, animator, operation_copy] {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    for (int frame = 1; !m_stop; ++frame) {
      ::Sleep(kAnimatorIntervalMs);
      if (frame > kAnimatorFrames) {
        ::PostMessageW(animator, kDestroyAnimator, 0, 0);
        if (operation_copy == kClose) ::PostMessageW(m_target, kEndTarget, 0, 0);
        break;
      }
      ::PostMessageW(animator, kDrawFrame, static_cast<WPARAM>(frame), 0);
      if (operation_copy == kOpen && frame == kAnimatorFrames) ::PostMessageW(m_target, kShowTarget, 0, 0);
    }
    m_running = false;
  });
  return true;
}

void TwWindowAnimator::DrawFrame(int frame) {
  if (!m_window || !m_snapshot) return;
  const AnimatorRect& area = m_geometry.window;
  const AnimatorFrame size = m_operation == kOpen
                                 ? OpeningFrame(m_geometry, frame, kAnimatorFrames)
                                 : (frame == 0 ? AnimatorFrame{area.Width() - m_geometry.horizontal_margin,
                                                               area.Height() - m_geometry.vertical_margin, 255}
                                               : ClosingFrame(m_geometry, frame, kAnimatorFrames));
  auto canvas = ux::win::GdiImage::Create(area.Width(), area.Height());
  if (!canvas) return;
  const win::BitmapDc memory_dc(canvas->Bitmap());
  const win::BitmapDc source_dc(m_snapshot->Bitmap());
  HDC memory = memory_dc.Get();
  HDC source = source_dc.Get();
  if (size.width > 0 && size.height > 0) {
    // The snapshot (the target plus its 4-pixel rim) scaled and centred.
    const int snap_w = m_geometry.snapshot.Width(), snap_h = m_geometry.snapshot.Height();
    const int x = (area.Width() - size.width) / 2, y = (area.Height() - size.height) / 2;
    ::SetStretchBltMode(memory, HALFTONE);
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(memory, x, y, size.width, size.height, source, 0, 0, snap_w, snap_h, blend);
  }
  POINT origin{area.left, area.top};
  SIZE extent{area.Width(), area.Height()};
  POINT zero{0, 0};
  BLENDFUNCTION constant{AC_SRC_OVER, 0, static_cast<BYTE>(size.opacity), AC_SRC_ALPHA};
  ::UpdateLayeredWindow(m_window, nullptr, &origin, &extent, memory, &zero, 0, &constant, ULW_ALPHA);
  if (frame > 0) ++m_frames_drawn;
  if (m_operation == kOpen && frame == kAnimatorFrames) {
    ::SetWindowPos(m_window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

LRESULT CALLBACK TwWindowAnimator::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TwWindowAnimator*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case kDrawFrame:
      if (self && self->m_window == window) self->DrawFrame(static_cast<int>(wparam));
      return 0;
    case kDestroyAnimator:
      if (self && self->m_window == window) self->m_window = nullptr;
      ::DestroyWindow(window);
      return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace tw
