// The text rules every control that shows text follows: which font and
// colours a state takes (BeginDraw), the YaHei vertical correction, and the
// choice between GDI, GDI+ and shadow text.
#pragma once

#include <string_view>

#include "ui/drawing/canvas.h"

namespace tw::ux {

class CUxWindow;

struct UxDrawState {
  UxFontChoice font;
  UxColour text = kNoColour;
  UxColour background = kNoColour;
  bool transparent = false;
  UxRect text_rect;
};

// The state's font and colours for a control (the text rectangle is the
// control's rectangle inside the style's margins).
UxDrawState BeginDraw(const CUxWindow& control);

// The YaHei correction of the text rectangle. `base_abs` and `selected_abs`
// are the absolute font heights.
UxRect CorrectForYaHei(const UxRect& rect, uint32_t format, int base_abs, int selected_abs, bool autofix);

// The correction above for a control's text in `font`: only under a YaHei
// base face and unless the control's style turns it off.
UxRect CorrectControlTextForYaHei(const CUxWindow& control, const UxRect& rect, uint32_t format, UxFontChoice font,
                                  IUxTextMeasurer& measurer);

// GDI+ (with the text alpha scaled by the control's and the animation's
// opacity), shadow or plain GDI text for the control's runs.
void ChooseTextPath(const CUxWindow& control, UxTextRun& run);

// Everything decided about drawing `text` for `control` into `rect`.
UxTextRun PlanControlText(const CUxWindow& control, std::wstring_view text, uint32_t format, IUxTextMeasurer& measurer);

}  // namespace tw::ux
