// What a control may ask of the window that hosts it. The Windows hosts
// implement it over their HWND; layout and routing tests implement it with
// recorders.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/base/ux_types.h"

namespace tw::ux {

// The lParam of every framework WM_NOTIFY. Its first three fields are laid
// out as NMHDR so window code may read it either way.
struct UxNotice {
  void* hwndFrom = nullptr;
  uintptr_t idFrom = 0;
  uint32_t code = 0;
  int32_t ctrlId = 0;
  const char* ctrlTag = nullptr;  // UXN_CLICK, UXN_DOUBLE_CLICK; "wnd" for control-side reports
  uint32_t handle = 0;            // UXN_REPAINT_REQUEST
  UxRect rect;                    // UXN_REPAINT_REQUEST, UXN_CHILD_WINDOW_RESIZE
  int32_t subCode = 0;            // control-side reports (3 entry, 4 exit)
};

class IUxAnimationHandler;

class IUxContainer {
 public:
  virtual ~IUxContainer() = default;
  virtual void* HostWindow() const = 0;
  virtual bool HostWindowAlive() const = 0;
  // The host window's own control id (its idFrom for control-side reports).
  virtual int HostControlId() const = 0;
  // SendMessage(host window, WM_NOTIFY, wparam, &notice).
  virtual intptr_t SendNotice(uintptr_t wparam, UxNotice& notice) = 0;
  // The same to the host window's parent (rich text reports its links there).
  virtual intptr_t SendNoticeToParent(uintptr_t wparam, UxNotice& notice) { return SendNotice(wparam, notice); }
  // The real child window behind a `realwnd` placeholder.
  virtual void PlaceRealWindow(int id, const UxRect& rect) = 0;
  virtual void ShowRealWindow(int id, bool show) = 0;
  // Adds a rectangle to the dirty region (by-id operations repaint this way
  // even when the control is now hidden).
  virtual void Invalidate(const UxRect& rect) = 0;
  virtual void RegisterAnimation(IUxAnimationHandler* /*handler*/) {}
  virtual void UnregisterAnimation(IUxAnimationHandler* /*handler*/) {}
};

}  // namespace tw::ux
