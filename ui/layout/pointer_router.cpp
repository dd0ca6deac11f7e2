#include "ui/layout/pointer_router.h"

#include <algorithm>
#include <initializer_list>

namespace tw::ux {

namespace {

CUxWindow* Resolve(UxHandle handle) { return handle ? UxHandleRegistry::Instance().Find(handle) : nullptr; }

bool OneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

}  // namespace

bool HeaderPressDoesNotDrag(std::string_view tag, HostForm form) {
  if (form == HostForm::kTopLevel) {
    return OneOf(tag, {"button", "imgbtn", "dlgbtn", "dlgbtnEx2", "tabctrl", "link", "skinbtn", "imgbtnsized", "check",
                       "radio", "slider", "imgradio", "listwnd"});
  }
  return OneOf(
      tag, {"button", "imgbtn", "dlgbtn", "tabctrl", "link", "skinbtn", "imgbtnsized", "check", "slider", "richtext"});
}

bool HeaderDoubleClickIgnored(std::string_view tag, HostForm form) {
  if (form == HostForm::kTopLevel) {
    return OneOf(
        tag, {"button", "imgbtn", "dlgbtn", "tabctrl", "link", "skinbtn", "imgbtnsized", "slider", "check", "listwnd"});
  }
  return OneOf(tag, {"button", "imgbtn", "dlgbtn", "tabctrl", "link", "skinbtn", "imgbtnsized", "slider", "check"});
}

void UxPointerRouter::ChangeBits(CUxWindow& control, uint32_t add, uint32_t remove) {
  const uint32_t before = control.State();
  control.ChangeStateBits(add, remove);
  if (control.State() != before && control.RepaintsOnStateChange()) m_host.Repaint(control.Rect());
}

void UxPointerRouter::LoseHover(CUxWindow& control, bool notify) {
  if (!control.IsDisabled(true)) {
    ChangeBits(control, 0, kStateHover);
    control.DeliverUxMessage(msg::kMouseLeave);
  }
  if (notify) m_host.Notify(UXN_POINTER_LEAVE, control.Id(), nullptr);
}

void UxPointerRouter::OnMouseMove(int x, int y, uintptr_t wparam, intptr_t lparam) {
  if (!m_tracking) {
    m_host.TrackPointerLeave();
    m_tracking = true;
  }
  if (m_form == HostForm::kTopLevel) {
    if (CUxWindow* pushed = Resolve(m_pushed)) {
      pushed->DeliverUxMessage(msg::kMouseMove, wparam, lparam);
      return;
    }
  }
  const UxHandle under_handle = m_layout.HitTest(x, y);
  CUxWindow* under = Resolve(under_handle);
  if (m_form == HostForm::kTopLevel && (m_host.LastHitCode() != 1 || !under)) {
    if (CUxWindow* hovered = Resolve(m_hovered)) LoseHover(*hovered, true);
    m_hovered = 0;
    return;
  }
  if (!under) return;
  const bool enabled = !under->IsDisabled(true);
  if (enabled) under->DeliverUxMessage(msg::kMouseMove, wparam, lparam);
  m_host.Notify(UXN_POINTER_ENTER, under->Id(), nullptr);
  if (under_handle == m_hovered) return;
  if (CUxWindow* old = Resolve(m_hovered)) LoseHover(*old, true);
  if (enabled) ChangeBits(*under, kStateHover, 0);
  m_hovered = under_handle;
  m_host.SetTooltipText(under->TooltipText());
}

void UxPointerRouter::OnLButtonDown(int x, int y, uintptr_t wparam, intptr_t lparam) {
  const UxLayerDescription& layer = m_layout.Layer();
  if (m_form == HostForm::kTopLevel && layer.resizable) {
    const int code = m_host.LastHitCode();
    if (code >= 10 && code <= 17) {
      m_host.StartResize(code);
      return;
    }
  }
  if (CUxWindow* header_hit = Resolve(m_layout.HitTestHeader(x, y))) {
    const bool child = m_form == HostForm::kTopLevel ? m_host.IsChildWindow() : layer.child;
    if (!HeaderPressDoesNotDrag(header_hit->TagName(), m_form) && header_hit->AcceptsHeaderPress() == 0 && !child) {
      m_host.FocusWindow();
      if (!m_host.IsMinimized() && layer.movable) m_host.StartWindowMove();
      return;
    }
  }
  const UxHandle handle = m_layout.HitTest(x, y);
  CUxWindow* control = Resolve(handle);
  if (!control || control->IsDisabled(true) || m_captured) return;
  m_host.CapturePointer();
  m_captured = true;
  m_hovered = m_pushed = handle;
  ChangeBits(*control, kStatePushed, 0);
  control->DeliverUxMessage(msg::kLButtonDown, wparam, lparam);
  m_host.Notify(UXN_PRESS, control->Id(), nullptr);
}

void UxPointerRouter::OnLButtonUp(int x, int y, uintptr_t wparam, intptr_t lparam) {
  m_host.FocusWindow();
  if (m_captured) {
    m_host.ReleasePointer();
    m_captured = false;
  }
  CUxWindow* pushed = Resolve(m_pushed);
  const UxHandle pushed_handle = m_pushed;
  m_pushed = 0;
  if (!pushed) return;
  ChangeBits(*pushed, 0, kStatePushed);
  // The framed view neither tests again nor reports a leave: a release away
  // from the hovered control is simply dropped.
  if (m_form != HostForm::kTopLevel && m_hovered != pushed_handle) return;
  pushed->DeliverUxMessage(msg::kLButtonUp, wparam, lparam);
  const bool over_same =
      m_form == HostForm::kTopLevel ? m_layout.HitTest(x, y) == pushed_handle : m_hovered == pushed_handle;
  if (over_same) {
    if (!pushed->Href().empty()) m_host.OpenLink(pushed->Href());
    else if (pushed->Id() != 0) m_host.Notify(UXN_CLICK, pushed->Id(), pushed->TagName().data());
    return;
  }
  if (m_form != HostForm::kTopLevel) return;
  ChangeBits(*pushed, 0, kStateHover);
  pushed->DeliverUxMessage(msg::kMouseLeave);
  if (pushed->Id() != 0) {
    m_host.Notify(UXN_POINTER_LEAVE, pushed->Id(), nullptr);
    if (m_hovered == pushed_handle) m_hovered = 0;
  }
}

void UxPointerRouter::OnLButtonDblClk(int x, int y, uintptr_t wparam, intptr_t lparam) {
  const UxLayerDescription& layer = m_layout.Layer();
  if (CUxWindow* header_hit = Resolve(m_layout.HitTestHeader(x, y))) {
    const bool accepted = m_form == HostForm::kTopLevel ? header_hit->AcceptsHeaderPress() == 0 : true;
    if (!HeaderDoubleClickIgnored(header_hit->TagName(), m_form) && accepted && layer.resizable) {
      m_host.ToggleMaximized();
      return;
    }
  }
  m_host.FocusWindow();
  CUxWindow* control = Resolve(m_layout.HitTest(x, y));
  if (!control) return;
  if (m_form == HostForm::kTopLevel) control->DeliverUxMessage(msg::kLButtonDblClk, wparam, lparam);
  m_host.Notify(UXN_DOUBLE_CLICK, control->Id(), control->TagName().data());
}

void UxPointerRouter::OnRButtonDown(int x, int y, uintptr_t wparam, intptr_t lparam) {
  CUxWindow* control = Resolve(m_layout.HitTest(x, y));
  if (!control) return;
  if (m_form == HostForm::kTopLevel) {
    if (!m_captured) {
      m_host.CapturePointer();
      m_captured = true;
    }
    control->DeliverUxMessage(msg::kRButtonDown, wparam, lparam);
  }
  m_host.Notify(UXN_RIGHT_PRESS, control->Id(), nullptr);
}

void UxPointerRouter::OnRButtonUp(int x, int y, uintptr_t wparam, intptr_t lparam) {
  if (m_form != HostForm::kTopLevel) return;
  if (m_captured) {
    m_host.ReleasePointer();
    m_captured = false;
  }
  CUxWindow* control = Resolve(m_layout.HitTest(x, y));
  if (!control) return;
  control->DeliverUxMessage(msg::kRButtonUp, wparam, lparam);
  m_host.Notify(UXN_RIGHT_RELEASE, control->Id(), nullptr);
}

void UxPointerRouter::Activate(UxHandle handle) {
  CUxWindow* control = Resolve(handle);
  if (!control || !control->IsVisible(true) || control->IsDisabled(true)) return;
  const UxRect& r = control->Rect();
  const int x = r.left + r.Width() / 2, y = r.top + r.Height() / 2;
  const intptr_t at = static_cast<intptr_t>((static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFF));
  ChangeBits(*control, kStatePushed, 0);
  control->DeliverUxMessage(msg::kLButtonDown, 0, at);
  ChangeBits(*control, 0, kStatePushed);
  control->DeliverUxMessage(msg::kLButtonUp, 0, at);
  if (!control->Href().empty()) m_host.OpenLink(control->Href());
  else if (control->Id() != 0) m_host.Notify(UXN_CLICK, control->Id(), control->TagName().data());
}

void UxPointerRouter::OnMouseLeave() {
  m_tracking = false;
  m_captured = false;
  CUxWindow* hovered = Resolve(m_hovered);
  CUxWindow* pushed = Resolve(m_pushed);
  if (hovered) {
    ChangeBits(*hovered, 0, kStateHover);
    hovered->DeliverUxMessage(msg::kMouseLeave);
  }
  if (pushed) ChangeBits(*pushed, 0, kStatePushed);
  const int id = pushed ? pushed->Id() : hovered ? hovered->Id() : 0;
  m_hovered = m_pushed = 0;
  m_host.Notify(UXN_POINTER_LEAVE, id, nullptr);
}

}  // namespace tw::ux
