// The host's keyboard and screen-reader side: which windowless control holds
// the focus, Tab's way through the controls and the real child windows, the
// focus cue, and the accessible object that describes the controls.
#include <algorithm>

#include "ui/base/contrast.h"
#include "ui/layout/focus_order.h"
#include "ui/hosts/host_core_win.h"
#include "ui/controls/real_window.h"
#include "ui/hosts/ux_startup_win.h"

namespace tw::ux::win {

namespace {

// Posted by the accessible object: a screen reader's call must not run a
// click (which may open a modal window) inside itself.
constexpr UINT kActivateControl = WM_APP + 0x3F0;
constexpr UINT kFocusControl = WM_APP + 0x3F1;

CUxWindow* Resolve(UxHandle handle) { return handle ? UxHandleRegistry::Instance().Find(handle) : nullptr; }

bool KeyHeld(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

}  // namespace

UxHandle UxHostCore::KeyboardFocus() const {
  // A real child window that has the focus (an edit box clicked into) has
  // taken it from any windowless control.
  if (HWND focus = ::GetFocus(); focus && focus != m_hwnd && ::IsChild(m_hwnd, focus)) return 0;
  CUxWindow* control = Resolve(m_keyboard_focus);
  if (!control || !TakesKeyboardFocus(*control) || IsRealWindowPlaceholder(*control)) return 0;
  return m_keyboard_focus;
}

UxHandle UxHostCore::KeyboardPosition() const {
  if (const UxHandle windowless = KeyboardFocus()) return windowless;
  HWND focus = ::GetFocus();
  if (!focus || focus == m_hwnd || !::IsChild(m_hwnd, focus)) return 0;
  while (::GetParent(focus) != m_hwnd) focus = ::GetParent(focus);
  const int id = ::GetDlgCtrlID(focus);
  CUxWindow* placeholder = id ? m_layout.FindControlById(id) : nullptr;
  return placeholder && IsRealWindowPlaceholder(*placeholder) ? placeholder->Handle() : 0;
}

void UxHostCore::InvalidateFocusCue(UxHandle handle) {
  if (CUxWindow* control = Resolve(handle)) Invalidate(FocusCueBounds(control->Rect()));
}

void UxHostCore::SetKeyboardFocus(UxHandle handle) {
  CUxWindow* control = Resolve(handle);
  if (control && !TakesKeyboardFocus(*control)) return;
  if (handle != m_keyboard_focus) {
    InvalidateFocusCue(m_keyboard_focus);
    InvalidateFocusCue(handle);
  }
  m_keyboard_focus = handle;
  if (control && IsRealWindowPlaceholder(*control)) {
    if (HWND real = ::GetDlgItem(m_hwnd, control->Id())) {
      ::SetFocus(real);
      ::SendMessageW(real, EM_SETSEL, 0, -1);  // as the dialog manager does for an edit box
    }
    return;
  }
  // A windowless control's focus is the window's own.
  if (::GetFocus() != m_hwnd) ::SetFocus(m_hwnd);
  AnnounceAccessibleEvent(m_hwnd, EVENT_OBJECT_FOCUS, handle);
}

UxRect UxHostCore::ClientArea() const {
  RECT client{};
  ::GetClientRect(m_hwnd, &client);
  return {client.left, client.top, client.right, client.bottom};
}

void UxHostCore::MoveKeyboardFocus(bool forward) {
  const std::vector<UxHandle> order = KeyboardOrder(m_layout, ClientArea());
  if (order.empty()) return;
  SetKeyboardFocus(NextInKeyboardOrder(order, KeyboardPosition(), forward));
}

bool UxHostCore::OnKeyDown(WPARAM key) {
  if (key == VK_TAB && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU)) {
    MoveKeyboardFocus(!KeyHeld(VK_SHIFT));
    return true;
  }
  if (const UxHandle focused = KeyboardFocus()) {
    if (key == VK_SPACE || key == VK_RETURN) {
      m_router.Activate(focused);
      return true;
    }
    if (key == VK_ESCAPE) {
      // The question Alt+F4 asks: leave?
      ::SendMessageW(NoticeTarget(), WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    }
  }
  if (key != VK_RETURN && key != VK_ESCAPE) return false;
  // No windowless control holds the focus. The dialog manager leaves these
  // keys to us: the framed form's frame applies its keyboard rule; a
  // top-level form makes them the commands 1 and 2.
  if (m_form == HostForm::kFramed) {
    ::SendMessageW(::GetParent(m_hwnd), WM_KEYDOWN, key, 0);
  } else if (::IsWindowEnabled(m_hwnd) && !KeyHeld(VK_CONTROL)) {
    ::SendMessageW(m_hwnd, WM_COMMAND, key == VK_RETURN ? IDOK : IDCANCEL, 0);
  }
  return true;
}

void UxHostCore::PaintFocusCueIfShown(GdiCanvas& canvas) {
  CUxWindow* control = Resolve(KeyboardFocus());
  if (!control) return;
  FocusCueColours colours;
  if (const HighContrastColours& contrast = HighContrast(); contrast.on) {
    colours = {contrast.highlight, contrast.window};
  }
  PaintFocusCue(canvas, control->Rect(), colours);
}

std::vector<AccessibleElement> UxHostCore::AccessibleSnapshot() {
  return AccessibleElements(m_layout, KeyboardFocus(), ClientArea());
}

std::optional<AccessibleElement> UxHostCore::AccessibleElementFor(UxHandle handle) {
  CUxWindow* control = Resolve(handle);
  if (!control || control->Host() != this) return std::nullopt;  // another window's control
  return DescribeControl(*control, KeyboardFocus());
}

UxHandle UxHostCore::AccessibleHitTest(int x, int y) {
  // The control under the point may be a button's caption: its element is the button.
  for (CUxWindow* control = Resolve(m_layout.HitTest(x, y)); control; control = control->Parent()) {
    if (!DescribeControl(*control, 0)) continue;
    if (control->Parent() && DescribeControl(*control->Parent(), 0)) continue;
    return control->Handle();
  }
  return 0;
}

void UxHostCore::AnnounceControlChange(int id, DWORD event) {
  if (!HostWindowAlive()) return;
  // A caption's change is its button's: announce the outermost element.
  UxHandle element = 0;
  for (CUxWindow* control = m_layout.FindControlById(id); control; control = control->Parent()) {
    if (DescribeControl(*control, 0)) element = control->Handle();
  }
  if (element) AnnounceAccessibleEvent(m_hwnd, event, element);
}

bool UxHostCore::SetControlText(int id, const std::wstring& text) {
  const bool done = m_layout.SetControlText(id, text);
  if (done) AnnounceControlChange(id, EVENT_OBJECT_NAMECHANGE);
  return done;
}

bool UxHostCore::SetControlAttribute(int id, std::string_view name, std::string_view value) {
  const bool done = m_layout.SetControlAttribute(id, name, value);
  if (done && name == "value") AnnounceControlChange(id, EVENT_OBJECT_VALUECHANGE);
  return done;
}

bool UxHostCore::SetControlIntAttribute(int id, std::string_view name, int number) {
  const bool done = m_layout.SetControlIntAttribute(id, name, number);
  if (done && name == "value") AnnounceControlChange(id, EVENT_OBJECT_VALUECHANGE);
  return done;
}

bool UxHostCore::ShowControl(int id, bool show) {
  const bool done = m_layout.ShowControl(id, show);
  // A page shown or hidden changes which elements the window has.
  if (done && HostWindowAlive()) AnnounceAccessibleEvent(m_hwnd, EVENT_OBJECT_REORDER, 0);
  return done;
}

bool UxHostCore::EnableControl(int id, bool enable) {
  const bool done = m_layout.EnableControl(id, enable);
  if (done) AnnounceControlChange(id, EVENT_OBJECT_STATECHANGE);
  return done;
}

void UxHostCore::RequestActivation(UxHandle handle) {
  ::PostMessageW(m_hwnd, kActivateControl, 0, static_cast<LPARAM>(handle));
}

void UxHostCore::RequestKeyboardFocus(UxHandle handle) {
  ::PostMessageW(m_hwnd, kFocusControl, 0, static_cast<LPARAM>(handle));
}

void UxHostCore::DetachAccessibility() {
  DisconnectAccessibleObject(m_accessible.Get());
  m_accessible.Reset();
}

bool UxHostCore::HandleKeyboardAndAccessMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_KEYDOWN: return OnKeyDown(wparam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      // The mouse takes over: the cue goes, and Enter and Escape are the
      // window's commands again.
      InvalidateFocusCue(m_keyboard_focus);
      m_keyboard_focus = 0;
      return false;
    case WM_DESTROY: DetachAccessibility(); return false;
    case WM_SETFOCUS:
      // A windowless control keeps the focus it holds; otherwise the focus
      // goes to the first tab-stop child window, as before.
      if (const UxHandle focused = KeyboardFocus()) {
        AnnounceAccessibleEvent(m_hwnd, EVENT_OBJECT_FOCUS, focused);
        return true;
      }
      // One lying outside the client area (in a folded panel) is not on the
      // screen: keys typed into it would go unseen, so the form keeps them.
      if (HWND first = ::GetNextDlgTabItem(m_hwnd, nullptr, FALSE); first && first != m_hwnd) {
        RECT rect;
        ::GetWindowRect(first, &rect);
        ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
        if (UxRect{rect.left, rect.top, rect.right, rect.bottom}.Intersects(ClientArea())) ::SetFocus(first);
      }
      return true;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      // High contrast turned on or off, or its colours changed.
      ReadSystemContrast();
      m_full_repaint = true;
      ::InvalidateRect(m_hwnd, nullptr, FALSE);
      return false;
    case kActivateControl: {
      const auto handle = static_cast<UxHandle>(lparam);
      if (CUxWindow* control = Resolve(handle); control && control->Host() == this) m_router.Activate(handle);
      return true;
    }
    case kFocusControl: {
      const auto handle = static_cast<UxHandle>(lparam);
      if (CUxWindow* control = Resolve(handle); control && control->Host() == this) SetKeyboardFocus(handle);
      return true;
    }
    case WM_GETOBJECT:
      if (static_cast<LONG>(lparam) != OBJID_CLIENT) return false;
      if (!m_accessible) {
        if (!m_com) m_com.emplace();
        m_accessible = tw::win::ComPtr<IAccessible>(CreateAccessibleObject(*this));
      }
      result = AnswerGetObject(m_accessible.Get(), wparam);
      return true;
    default: return false;
  }
}

}  // namespace tw::ux::win
