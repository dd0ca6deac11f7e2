// The system's high-contrast setting as the framework's texts follow it:
// when it is on, every text is drawn in the system's colours on a plate of
// the system's window colour, so it stays readable over any skin, and the
// focus cue takes the system's highlight. The platform code reads the
// setting at start-up and whenever the system says it changed.
#pragma once

#include "ui/base/ux_types.h"

namespace tw::ux {

struct HighContrastColours {
  bool on = false;
  UxColour window = 0;     // COLOR_WINDOW: the plate behind texts
  UxColour text = 0;       // COLOR_WINDOWTEXT
  UxColour hot = 0;        // COLOR_HOTLIGHT: the text of what can be clicked
  UxColour gray = 0;       // COLOR_GRAYTEXT: the text of what is unavailable
  UxColour highlight = 0;  // COLOR_HIGHLIGHT: the focus cue
};

void SetHighContrast(const HighContrastColours& colours) noexcept;
const HighContrastColours& HighContrast() noexcept;

}  // namespace tw::ux
