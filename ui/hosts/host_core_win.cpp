#include "ui/hosts/host_core_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <mutex>

#include "ui/controls/animate_node.h"
#include "ui/base/dpi.h"
#include "ui/drawing/font_pool_win.h"
#include "ui/hosts/hit_code.h"
#include "ui/controls/real_window.h"
#include "ui/drawing/skin.h"
#include "ui/drawing/ux_resource_win.h"
#include "ui/hosts/ux_startup_win.h"

namespace tw::ux::win {

static_assert(offsetof(UxNotice, hwndFrom) == offsetof(NMHDR, hwndFrom));
static_assert(offsetof(UxNotice, idFrom) == offsetof(NMHDR, idFrom));
static_assert(offsetof(UxNotice, code) == offsetof(NMHDR, code));
static_assert(msg::kMouseLeave == WM_MOUSELEAVE && msg::kNcCalcSize == WM_NCCALCSIZE);
static_assert(ws::kExLayered == WS_EX_LAYERED && ws::kThickFrame == WS_THICKFRAME && ws::kPopup == WS_POPUP);
static_assert(dt::kEndEllipsis == DT_END_ELLIPSIS && dt::kWordEllipsis == DT_WORD_ELLIPSIS);

namespace {

// One paint at a time into any off-screen bitmap of the process: the font
// pool's fonts and GDI+ are shared by every host.
std::mutex& PaintLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

UxHostCore::UxHostCore(int layout_id, HostForm form)
    : m_layout_id(layout_id), m_form(form), m_layout(form), m_router(m_layout, *this, form) {
  if (form == HostForm::kTopLevel) m_layout.SetCreator(&m_creator);
  m_layout.AttachHost(this);
}

UxHostCore::~UxHostCore() {
  DetachAccessibility();
  DestroyOwnWindow();
}

bool UxHostCore::LoadLayoutText(const std::string& xml) {
  const bool loaded = m_layout.Parse(xml);
  m_layout.AttachHost(this);
  if (loaded && HostWindowAlive()) {
    LayoutAll();
    m_router.Forget();
  }
  return loaded;
}

void UxHostCore::AdoptRealWindow(int id) {
  if (auto* placeholder = dynamic_cast<CUxRealWnd*>(FindControlById(id))) placeholder->SyncRealWindow();
}

bool UxHostCore::LoadLayout() {
  std::optional<std::string> xml = UxResource::Instance().Load(m_layout_id, L"xml");
  if (!xml) {
    (void)m_layout.Parse("");  // the reset of a failed load
    return false;
  }
  return LoadLayoutText(*xml);
}

namespace {

void StartAnimatedNodes(CUxWindow& control) {
  if (auto* node = dynamic_cast<CUXAnimateNode*>(&control)) node->StartAnimation();
  if (!control.IsPanel()) return;
  for (auto& child : static_cast<CUxPanel&>(control).Children()) StartAnimatedNodes(*child);
}

void StopAnimatedNodes(CUxWindow& control) {
  if (auto* node = dynamic_cast<CUXAnimateNode*>(&control)) node->StopAnimation();
  if (!control.IsPanel()) return;
  for (auto& child : static_cast<CUxPanel&>(control).Children()) StopAnimatedNodes(*child);
}

}  // namespace

void UxHostCore::DiscardTimeline() {
  // Nodes still registered would think themselves running and never start
  // again when the window is created anew.
  m_layout.ForEachLoadedSection([](CUxDialog& s) { StopAnimatedNodes(s); });
  if (m_timeline) m_timeline->Stop();
  m_timeline.reset();
}

void UxHostCore::AttachToWindow() {
  m_layout.AttachHost(this);
  // A layer with `anim` gets a fresh timeline; animated nodes of the
  // top-level host's layout start with the window.
  if (Layer().anim) {
    m_timeline = std::make_shared<CUxAnimationTimelineManager>();
    (void)m_timeline->Start();
  }
  if (m_form == HostForm::kTopLevel) m_layout.ForEachLoadedSection([](CUxDialog& s) { StartAnimatedNodes(s); });
  m_dirty_region.Reset();
  m_tooltip = nullptr;  // made at the first pointer message (EnsureTooltip)
}

void UxHostCore::EnsureTooltip() {
  if (m_tooltip || !m_hwnd) return;
  // The common controls' classes cost a window its first frame under Wine,
  // and nobody sees a tooltip before pointing at something.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  if (!m_tooltip) return;
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = m_hwnd;
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(L"");
  ::GetClientRect(m_hwnd, &tool.rect);
  tool.rect.right = tool.rect.bottom = 32767;  // the whole window, whatever its size later
  ::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 5000);
  ::SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void UxHostCore::LayoutAll() {
  RECT client;
  if (!m_hwnd || !::GetClientRect(m_hwnd, &client)) return;
  if (client.right - client.left == 0) return;
  m_layout.LayoutAll({client.left, client.top, client.right, client.bottom});
  m_full_repaint = true;
  ::InvalidateRect(m_hwnd, nullptr, FALSE);
  if (m_form == HostForm::kTopLevel) {
    const std::vector<IUxLayoutListener*> listeners = m_listeners;  // a listener may remove itself
    for (IUxLayoutListener* listener : listeners) listener->OnLayoutChanged();
  }
}

void UxHostCore::ApplyNewDpi(int dpi) {
  if (dpi == CurrentDpi()) return;
  ApplyDpi(dpi);
  m_layout.RescaleForDpi();
  m_full_repaint = true;
}

void UxHostCore::RemoveLayoutListener(IUxLayoutListener* listener) {
  m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void UxHostCore::OnSize() {
  RECT client;
  ::GetClientRect(m_hwnd, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  if (!m_bitmap || m_bitmap->Width() != width || m_bitmap->Height() != height) {
    m_memory_dc.Select(nullptr);
    m_bitmap = GdiImage::Create(width, height);
    if (m_bitmap) m_memory_dc.Select(m_bitmap->Bitmap());
  }
  LayoutAll();
}

void UxHostCore::RedrawItem(CUxWindow& control, bool only_if_visible) {
  if (only_if_visible && !control.IsVisible(true)) return;
  Invalidate(control.Rect());
}

void UxHostCore::Invalidate(const UxRect& rect) {
  if (rect.IsEmpty()) return;
  tw::win::UniqueRegion added(::CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom));
  if (!m_dirty_region) {
    m_dirty_region = std::move(added);
  } else {
    ::CombineRgn(m_dirty_region.Get(), m_dirty_region.Get(), added.Get(), RGN_OR);
  }
  m_dirty = true;
  if (HostWindowAlive()) {
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::InvalidateRect(m_hwnd, &r, FALSE);
  }
}

MemoryDc::MemoryDc() : m_dc(::CreateCompatibleDC(nullptr)) {}

MemoryDc::~MemoryDc() { Select(nullptr); }

void MemoryDc::Select(HBITMAP bitmap) {
  if (!m_dc) return;
  m_selection.reset();
  if (bitmap) m_selection.emplace(m_dc.Get(), bitmap);
}

void UxHostCore::PaintAndOutput(HDC paint_dc, HDC print_dc) {
  if (!m_bitmap || !m_memory_dc.Dc()) return;  // nothing to paint into before the first size
  if (m_full_repaint) {
    m_dirty_region.Reset();
    m_dirty = true;
  }
  // One memory DC lives with the bitmap: making a DC per paint costs more
  // under Wine than painting a control.
  HDC memory = m_memory_dc.Dc();
  if (m_dirty) {
    const std::lock_guard<std::mutex> painting(PaintLock());
    const tw::win::SavedDcState saved(memory);
    {
      GdiCanvas canvas(memory, *m_bitmap, m_full_repaint ? nullptr : m_dirty_region.Get());
      if (m_full_repaint || IsLayered()) canvas.Clear();
      ::SelectObject(memory, UxFontPool::Instance().Font({}));
      ::SetBkMode(memory, TRANSPARENT);
      const UxRect client{0, 0, m_bitmap->Width(), m_bitmap->Height()};
      if (!Layer().frame.empty()) {
        if (CUxSkinBase* frame = UxSkinPool::Instance().Find(Layer().frame)) frame->DrawImage(canvas, client, 0, 255);
      }
      ::SetGraphicsMode(memory, GM_ADVANCED);
      m_layout.PaintInRegion(canvas);
      PaintFocusCueIfShown(canvas);
      // The outline lies on the outermost pixels: a repaint that does not
      // reach them would draw nothing with it, and GDI+ is slow to set up.
      const int w = m_bitmap->Width(), h = m_bitmap->Height();
      const bool reaches_edge = canvas.Meets({0, 0, w, 2}) || canvas.Meets({0, h - 2, w, h}) ||
                                canvas.Meets({0, 0, 2, h}) || canvas.Meets({w - 2, 0, w, h});
      if (m_border_paint && !IsChildWindow() && reaches_edge) PaintOverlay(canvas);
    }
    m_dirty_region.Reset();
  }
  if (print_dc) {
    ::BitBlt(print_dc, 0, 0, m_bitmap->Width(), m_bitmap->Height(), memory, 0, 0, SRCCOPY);
  } else {
    BeforeOutput(*m_bitmap);
    Output(paint_dc, memory);
  }
  m_full_repaint = false;
  m_dirty = false;
}

void UxHostCore::PrintChildWindows(HDC dc) {
  // Bottom of the z-order first, so that what lies on top is printed last.
  for (HWND child = ::GetWindow(::GetWindow(m_hwnd, GW_CHILD), GW_HWNDLAST); child;
       child = ::GetWindow(child, GW_HWNDPREV)) {
    if (!::IsWindowVisible(child)) continue;
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    POINT origin;
    {
      const tw::win::SavedDcState saved(dc);
      ::GetViewportOrgEx(dc, &origin);
      ::SetViewportOrgEx(dc, origin.x + rect.left, origin.y + rect.top, nullptr);
      ::IntersectClipRect(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top);
      // The control's own pixels as it drew them on screen: Wine's edit
      // control does not paint into a DC handed over by WM_PRINT.
      ::UpdateWindow(child);
      const tw::win::WindowDc own(child);
      if (own.Get()) ::BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, own.Get(), 0, 0, SRCCOPY);
    }
    // Child windows paint with GDI, which leaves alpha 0: they are opaque.
    if (HBITMAP bitmap = static_cast<HBITMAP>(::GetCurrentObject(dc, OBJ_BITMAP))) {
      DIBSECTION section{};
      if (::GetObjectW(bitmap, sizeof section, &section) == sizeof section && section.dsBm.bmBitsPixel == 32 &&
          section.dsBm.bmBits) {
        auto* bits = static_cast<uint32_t*>(section.dsBm.bmBits);
        const int width = section.dsBm.bmWidth, height = std::abs(section.dsBm.bmHeight);
        for (int y = std::max<LONG>(0, origin.y + rect.top); y < std::min<LONG>(height, origin.y + rect.bottom); ++y) {
          for (int x = std::max<LONG>(0, origin.x + rect.left); x < std::min<LONG>(width, origin.x + rect.right); ++x) {
            bits[static_cast<size_t>(y) * width + x] |= 0xFF000000u;
          }
        }
      }
    }
  }
}

void UxHostCore::Output(HDC paint_dc, HDC memory_dc) {
  if (IsLayered()) {
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    POINT position{window.left, window.top};
    SIZE size{m_bitmap->Width(), m_bitmap->Height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, m_window_alpha, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hwnd, nullptr, &position, &size, memory_dc, &source, 0, &blend, ULW_ALPHA);
  } else if (paint_dc) {
    ::BitBlt(paint_dc, 0, 0, m_bitmap->Width(), m_bitmap->Height(), memory_dc, 0, 0, SRCCOPY);
  }
}

void UxHostCore::RegisterAnimation(IUxAnimationHandler* handler) {
  if (!m_timeline) m_timeline = std::make_shared<CUxAnimationTimelineManager>();
  if (!m_timeline->IsRunning() && HostWindowAlive()) (void)m_timeline->Start();
  m_timeline->Register(handler);
}

void UxHostCore::UnregisterAnimation(IUxAnimationHandler* handler) {
  if (m_timeline) m_timeline->Unregister(handler);
}

void UxHostCore::TickAnimations() {
  if (m_timeline) m_timeline->Tick();
}

intptr_t UxHostCore::SendNoticeToParent(uintptr_t wparam, UxNotice& notice) {
  HWND parent = HostWindowAlive() ? ::GetParent(m_hwnd) : nullptr;
  return parent ? ::SendMessageW(parent, WM_NOTIFY, wparam, reinterpret_cast<LPARAM>(&notice)) : 0;
}

intptr_t UxHostCore::SendNotice(uintptr_t wparam, UxNotice& notice) {
  if (!HostWindowAlive()) return 0;
  return ::SendMessageW(m_hwnd, WM_NOTIFY, wparam, reinterpret_cast<LPARAM>(&notice));
}

void UxHostCore::PlaceRealWindow(int id, const UxRect& rect) {
  HWND real = ::GetDlgItem(m_hwnd, id);
  if (!real) return;
  ::SetWindowPos(real, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (::IsWindowVisible(real)) {
    ::InvalidateRect(real, nullptr, TRUE);
    ::UpdateWindow(real);
  }
}

void UxHostCore::ShowRealWindow(int id, bool show) {
  if (HWND real = ::GetDlgItem(m_hwnd, id)) ::ShowWindow(real, show ? SW_SHOW : SW_HIDE);
}

void UxHostCore::TrackPointerLeave() {
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hwnd, 0};
  ::TrackMouseEvent(&track);
}

void UxHostCore::StartWindowMove() { ::SendMessageW(NoticeTarget(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0); }

void UxHostCore::StartResize(int hit_code) {
  POINT cursor;
  ::GetCursorPos(&cursor);
  ::SendMessageW(m_hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit_code), MAKELPARAM(cursor.x, cursor.y));
}

void UxHostCore::ToggleMaximized() {
  HWND target = NoticeTarget();
  ::SendMessageW(target, WM_SYSCOMMAND, ::IsZoomed(target) ? (SC_RESTORE | HTCAPTION) : (SC_MAXIMIZE | HTCAPTION), 0);
}

namespace {
LinkOpener g_link_opener = nullptr;
}  // namespace

void SetLinkOpener(LinkOpener opener) noexcept { g_link_opener = opener; }

void UxHostCore::OpenLink(std::wstring_view href) {
  if (g_link_opener == nullptr) return;
  (void)g_link_opener(std::wstring(href));  // the opener logs what it could not open
}

void UxHostCore::Notify(uint32_t code, int ctrl_id, const char* tag) {
  UxNotice notice;
  notice.code = code;
  notice.ctrlId = ctrl_id;
  notice.ctrlTag = tag;
  if (m_form == HostForm::kTopLevel) {
    notice.hwndFrom = m_hwnd;
    notice.idFrom = static_cast<uintptr_t>(kTopLevelNoticeId);
    ::SendMessageW(m_hwnd, WM_NOTIFY, static_cast<WPARAM>(kTopLevelNoticeId), reinterpret_cast<LPARAM>(&notice));
  } else {
    notice.hwndFrom = m_hwnd;
    notice.idFrom = kFramedViewId;
    ::SendMessageW(::GetParent(m_hwnd), WM_NOTIFY, kFramedViewId, reinterpret_cast<LPARAM>(&notice));
  }
}

void UxHostCore::SetTooltipText(std::wstring_view text) {
  if (!m_tooltip) return;
  std::wstring copy(text);
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = m_hwnd;
  tool.uId = 1;
  tool.lpszText = copy.data();
  ::SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool UxHostCore::HandleViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  result = 0;
  if (HandleKeyboardAndAccessMessage(message, wparam, lparam, result)) return true;
  if ((message >= WM_MOUSEFIRST && message <= 0x20D) || message == WM_MOUSELEAVE) {
    if (message != WM_MOUSELEAVE) EnsureTooltip();
    if (m_tooltip && message != WM_MOUSELEAVE) {
      MSG relayed{m_hwnd, message, wparam, lparam, static_cast<DWORD>(::GetMessageTime()), {}};
      ::SendMessageW(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    const int x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
    switch (message) {
      case WM_MOUSEMOVE: m_router.OnMouseMove(x, y, wparam, lparam); return true;
      case WM_LBUTTONDOWN: m_router.OnLButtonDown(x, y, wparam, lparam); return true;
      case WM_LBUTTONUP: m_router.OnLButtonUp(x, y, wparam, lparam); return true;
      case WM_LBUTTONDBLCLK: m_router.OnLButtonDblClk(x, y, wparam, lparam); return true;
      case WM_RBUTTONDOWN: m_router.OnRButtonDown(x, y, wparam, lparam); return true;
      case WM_RBUTTONUP: m_router.OnRButtonUp(x, y, wparam, lparam); return true;
      case WM_MOUSELEAVE: m_router.OnMouseLeave(); return true;
      case WM_MOUSEWHEEL:
        if (CUxWindow* hovered = UxHandleRegistry::Instance().Find(m_router.Hovered())) {
          hovered->DeliverUxMessage(msg::kMouseWheel, wparam, lparam);
        }
        return true;
      default: return false;
    }
  }
  switch (message) {
    case WM_PAINT: {
      const tw::win::PaintScope paint(m_hwnd);
      PaintAndOutput(paint.Dc(), nullptr);
      return true;
    }
    case WM_PRINT:
    case WM_PRINTCLIENT:
      m_dirty = true;
      PaintAndOutput(nullptr, reinterpret_cast<HDC>(wparam));
      if (message == WM_PRINT && (lparam & PRF_CHILDREN)) PrintChildWindows(reinterpret_cast<HDC>(wparam));
      return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_GETDLGCODE:
      // 0x85: every key, Enter and Escape among them, reaches the form.
      result = DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
      return true;
    case WM_CAPTURECHANGED: m_router.OnCaptureLost(); return false;
    case WM_SETCURSOR: {
      if (LOWORD(lparam) != HTCLIENT && m_form == HostForm::kFramed) return false;
      CUxWindow* hovered = UxHandleRegistry::Instance().Find(m_router.Hovered());
      if (hovered && dynamic_cast<CUxRealWnd*>(hovered)) return false;
      const wchar_t* cursor = IDC_ARROW;
      if (hovered && !hovered->IsDisabled(true)) {
        if (hovered->ChooseCursor() == UxStyle::Cursor::kHand) cursor = IDC_HAND;
      } else {
        switch (CursorForHitCode(m_last_hit)) {
          case SizingCursor::kWestEast: cursor = IDC_SIZEWE; break;
          case SizingCursor::kNorthSouth: cursor = IDC_SIZENS; break;
          case SizingCursor::kNorthWestSouthEast: cursor = IDC_SIZENWSE; break;
          case SizingCursor::kNorthEastSouthWest: cursor = IDC_SIZENESW; break;
          case SizingCursor::kArrow: break;
        }
      }
      ::SetCursor(::LoadCursorW(nullptr, cursor));
      result = TRUE;
      return true;
    }
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const UxNotice*>(lparam);
      if (notice && notice->code == UXN_REPAINT_REQUEST && notice->hwndFrom == nullptr) {
        Invalidate(notice->rect);
        return true;
      }
      return false;
    }
    default: return false;
  }
}

}  // namespace tw::ux::win
