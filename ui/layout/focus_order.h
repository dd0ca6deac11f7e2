// The keyboard's way through a layout's windowless controls and real child
// windows: which of them take the focus, in which order, and the cue that
// shows where the focus is. Windowless controls have no HWND of their own,
// so the host keeps which of them holds the focus and draws its cue.
#pragma once

#include <vector>

#include "ui/layout/layout.h"

namespace tw::ux {

// Whether the keyboard may reach the control now: one a person can click
// (buttons, links, check boxes, any control with an address) or a real child
// window, shown, enabled, with room on the screen and something to do.
bool TakesKeyboardFocus(const CUxWindow& control);
// A `realwnd` placeholder: the focus goes to the real child window it places.
bool IsRealWindowPlaceholder(const CUxWindow& control);

// Every control the keyboard reaches, in layout order stably sorted by
// `tabindex` (absent counts as 0, so a positive one comes after the rest).
// Controls wholly outside `client` (a folded panel below the window's
// edge) are not on the screen and not reached.
std::vector<UxHandle> KeyboardOrder(UxLayout& layout, const UxRect& client);

// The control after (or before) `current`, wrapping at the ends; from no
// control or one no longer in the order, the first (or last). 0 when the
// order is empty.
UxHandle NextInKeyboardOrder(const std::vector<UxHandle>& order, UxHandle current, bool forward);

// The cue's colours. The default is a dark ring with a white one inside it,
// so that it shows over a light page and over a dark skin alike; under high
// contrast the host gives the system's highlight and window colours.
struct FocusCueColours {
  UxColour outer = MakeColour(0x1A, 0x1A, 0x1A);
  UxColour inner = MakeColour(0xFF, 0xFF, 0xFF);
};

// Pixels the cue reaches outside the control (what a repaint must cover).
constexpr int kFocusCueOutset = 3;
UxRect FocusCueBounds(const UxRect& control);
// A 2-pixel ring 1 pixel outside the control with a 1-pixel ring inside it.
void PaintFocusCue(IUxCanvas& canvas, const UxRect& control, const FocusCueColours& colours);

}  // namespace tw::ux
