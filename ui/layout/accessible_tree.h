// What a screen reader is told about a layout: its visible controls as a
// flat list of elements, each with a role, a name, states, a place, a value
// and a default action. Windowless controls have no HWND for the system to
// describe, so the host answers for them from this description.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/layout/layout.h"

namespace tw::ux {

// The roles used, by their MSAA numbers.
enum class AccessibleRole : int {
  kLink = 30,
  kGraphic = 40,
  kStaticText = 41,
  kPushButton = 43,
  kCheckButton = 44,
  kRadioButton = 45,
  kProgressBar = 48,
};

struct AccessibleElement {
  UxHandle handle = 0;
  AccessibleRole role = AccessibleRole::kStaticText;
  std::wstring name;
  std::wstring value;           // the progress bar's "37%"
  std::wstring default_action;  // empty: none
  UxRect rect;                  // client coordinates
  bool focusable = false;
  bool focused = false;
  bool unavailable = false;
  bool checked = false;
  bool invisible = false;
  // A `realwnd` placeholder: the element is the real child window with this
  // control id, which describes itself.
  int real_window_id = 0;
};

// The control's name: its text, else the texts inside it (a button's
// caption), else its tooltip, else its `name` attribute.
std::wstring AccessibleName(const CUxWindow& control);

// The element for one control, or none when it means nothing to a listener
// (a container, an unnamed picture, an empty text, a part of a button).
// `focused` is the control that holds the keyboard focus.
std::optional<AccessibleElement> DescribeControl(const CUxWindow& control, UxHandle focused);

// The elements of every shown control, in layout order; those wholly
// outside `client` are not on the screen and left out.
std::vector<AccessibleElement> AccessibleElements(UxLayout& layout, UxHandle focused, const UxRect& client);

}  // namespace tw::ux
