// Turns the host window's mouse messages into control messages, state bits
// and framework notifications. Both host forms share it; the framed dialog's
// inner view differs in the few places its `form` names.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/layout/layout.h"

namespace tw::ux {

// What routing asks of the real window.
class IUxPointerHost {
 public:
  virtual ~IUxPointerHost() = default;
  virtual void CapturePointer() = 0;
  virtual void ReleasePointer() = 0;
  virtual void TrackPointerLeave() = 0;
  virtual void FocusWindow() = 0;
  // WM_SYSCOMMAND SC_MOVE|HTCAPTION on the window (the framed view: on its frame).
  virtual void StartWindowMove() = 0;
  virtual void StartResize(int hit_code) = 0;
  virtual void ToggleMaximized() = 0;
  virtual bool IsMinimized() const = 0;
  virtual bool IsChildWindow() const = 0;
  virtual void OpenLink(std::wstring_view href) = 0;
  virtual void Notify(uint32_t code, int ctrl_id, const char* tag) = 0;
  virtual void SetTooltipText(std::wstring_view text) = 0;
  virtual void Repaint(const UxRect& rect) = 0;
  // The host's own hit code of the last WM_NCHITTEST (1 = client).
  virtual int LastHitCode() const = 0;
};

class UxPointerRouter {
 public:
  UxPointerRouter(UxLayout& layout, IUxPointerHost& host, HostForm form)
      : m_layout(layout), m_host(host), m_form(form) {}

  void OnMouseMove(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnLButtonDown(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnLButtonUp(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnLButtonDblClk(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnRButtonDown(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnRButtonUp(int x, int y, uintptr_t wparam, intptr_t lparam);
  void OnMouseLeave();
  // What a click on the control does, for the keyboard and for assistive
  // technology: pressed and released at its centre, then its address opened
  // or its click reported. A hidden or disabled control does nothing.
  void Activate(UxHandle handle);
  // The capture was taken from the window by someone else.
  void OnCaptureLost() { m_captured = false; }

  UxHandle Hovered() const noexcept { return m_hovered; }
  UxHandle Pushed() const noexcept { return m_pushed; }
  void Forget() noexcept { m_hovered = m_pushed = 0; }

 private:
  void ChangeBits(CUxWindow& control, uint32_t add, uint32_t remove);
  void LoseHover(CUxWindow& control, bool notify);

  UxLayout& m_layout;
  IUxPointerHost& m_host;
  HostForm m_form;
  UxHandle m_hovered = 0;
  UxHandle m_pushed = 0;
  bool m_captured = false;
  bool m_tracking = false;
};

// Tags whose press in the header does not drag the window.
bool HeaderPressDoesNotDrag(std::string_view tag, HostForm form);
bool HeaderDoubleClickIgnored(std::string_view tag, HostForm form);

}  // namespace tw::ux
