// The modal machinery shared by the top-level host and the framed dialog:
// the process's current main window, the foreground switch, and the loop
// with its pre-translation (WM_FORWARDMSG to the focused child, then the
// dialog manager).
#pragma once

#include <windows.h>

namespace tw::ux::win {

// The process-wide default owner of later dialogs.
HWND CurrentMainWindow() noexcept;
void SetCurrentMainWindow(HWND window) noexcept;

// Shows the window without moving it and forces it to the foreground.
void BringToFront(HWND window);

struct ModalState {
  bool end = false;
  INT_PTR result = 0;
};

// Runs until `state.end`, the window is gone or WM_QUIT arrives (which is
// left in the queue for the outer loop). `dialog` is the window the dialog
// manager works on; its direct children receive WM_FORWARDMSG.
void RunModalLoop(HWND window, HWND dialog, ModalState& state);
// True when the message was consumed before dispatch.
bool PreTranslateModalMessage(HWND dialog, MSG& message);

// Sets the end flag and wakes the loop with a posted WM_NULL.
void EndModal(ModalState& state, INT_PTR result);

// The owner a modal window disables: the given one, else the current main
// window, else the active window; null when that is the desktop or disabled.
HWND ChooseModalOwner(HWND given);
void CenterOnOwner(HWND window, HWND owner);

// What a modal window supplies to the shared road below.
class IModalWindow {
 public:
  virtual ~IModalWindow() = default;
  virtual HWND CreateModalWindow(HWND owner, const RECT* rect) = 0;
  // Shows the window (after centring); false leaves it hidden.
  virtual void ShowModalWindow(HWND window) = 0;
  virtual void RunModalLoop() = 0;
  virtual void DestroyModalWindow() = 0;
};

// The owner disabled, the window created and made the main window, centred
// when no rectangle is given, shown, run; then hidden without activation,
// the owner enabled and activated again, the previous main window restored,
// the window destroyed. False when the window could not be created.
bool RunModalWindow(IModalWindow& window, HWND owner_given, const RECT* rect);

// A layout's initial window rectangle: the given one or the layout's size,
// widened to the minimum size.
RECT InitialWindowRect(const RECT* given, int width, int height, int min_width, int min_height);

}  // namespace tw::ux::win
