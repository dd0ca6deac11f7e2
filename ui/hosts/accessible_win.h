// The window's accessible object: MSAA's IAccessible for the client area,
// whose children are the layout's visible controls (ui/layout/accessible_tree.h).
// Screen readers and the UI Automation proxy read it through WM_GETOBJECT.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <vector>

#include "ui/layout/accessible_tree.h"

namespace tw::ux::win {

// What the accessible object asks of its host, on the window's thread.
class IUxAccessibleHost {
 public:
  virtual ~IUxAccessibleHost() = default;
  virtual HWND AccessibleWindow() const = 0;
  virtual std::vector<AccessibleElement> AccessibleSnapshot() = 0;
  virtual std::optional<AccessibleElement> AccessibleElementFor(UxHandle handle) = 0;
  // The control under a client point (0: none).
  virtual UxHandle AccessibleHitTest(int x, int y) = 0;
  // Both are posted: a click may open a modal window, which must not run
  // inside the screen reader's call.
  virtual void RequestActivation(UxHandle handle) = 0;
  virtual void RequestKeyboardFocus(UxHandle handle) = 0;
  // The control holding the keyboard focus (0: none).
  virtual UxHandle KeyboardFocus() const = 0;
};

// Makes the object for `host` (one reference, the caller's). Disconnect it
// when the window goes: a client may hold it longer than the window lives.
IAccessible* CreateAccessibleObject(IUxAccessibleHost& host);
void DisconnectAccessibleObject(IAccessible* object);

// The answer to WM_GETOBJECT for the client area.
LRESULT AnswerGetObject(IAccessible* object, WPARAM wparam);

// Tells listening screen readers about a change (EVENT_OBJECT_*); `handle` 0
// is the client area itself.
void AnnounceAccessibleEvent(HWND window, DWORD event, UxHandle handle);

}  // namespace tw::ux::win
