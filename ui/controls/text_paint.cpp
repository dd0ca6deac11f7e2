#include "ui/controls/text_paint.h"

#include <cstdlib>

#include "ui/base/dpi.h"
#include "ui/drawing/style.h"
#include "ui/controls/window.h"

namespace tw::ux {

UxDrawState BeginDraw(const CUxWindow& control) {
  const UxStyle& style = control.Style();
  UxDrawState state;
  state.text_rect = control.Rect().Deflated(style.x_margin, style.y_margin);
  state.transparent = !style.skin.empty();
  state.background = control.OwnBackground() != kNoColour ? control.OwnBackground() : style.crbg;
  state.font = control.Font();
  state.text = control.OwnTextColour() != kNoColour ? control.OwnTextColour() : style.crtext;
  if (control.IsDisabled(true)) {
    if (style.crdisabled != kNoColour) state.text = style.crdisabled;
    return state;
  }
  bool push_font = false;
  bool push_colour = false;
  if (control.State() & kStatePushed) {
    if (style.pushfont) state.font.code = style.pushfont, push_font = true;
    if (style.crpush != kNoColour) state.text = style.crpush, push_colour = true;
  }
  if (control.State() & kStateHover) {
    if (style.hoverfont && !push_font) state.font.code = style.hoverfont;
    if (style.crhover != kNoColour && !push_colour) state.text = style.crhover;
  }
  return state;
}

UxRect CorrectForYaHei(const UxRect& rect, uint32_t format, int base_abs, int selected_abs, bool autofix) {
  const int c = selected_abs - base_abs;
  UxRect out = rect;
  if (format & dt::kBottom) {
    out = rect.Offset(0, -(2 * c + 2));
    if (autofix) {
      if (out.Height() < base_abs + 3 * c + 4) out.bottom = out.top + base_abs + 3 * c + 4;
      if (out.bottom < rect.top + base_abs + c + 3) out.bottom = rect.top + base_abs + c + 3;
    }
  } else if (!(format & dt::kVCenter)) {
    out = rect.Offset(0, -(3 * c + 3));
  }
  return out;
}

UxRect CorrectControlTextForYaHei(const CUxWindow& control, const UxRect& rect, uint32_t format, UxFontChoice font,
                                  IUxTextMeasurer& measurer) {
  if (!UxBaseFont::Instance().IsYaHei() || control.Style().yhresizedisable == 1) return rect;
  int base = UxBaseFont::Instance().height;
  if (control.DpiAware() && DpiScalingOn()) base = static_cast<int>(base * DpiFactor());
  const int selected = measurer.FontHeight(font);
  return CorrectForYaHei(rect, format, std::abs(base), std::abs(selected), control.AutoFixTextRect());
}

void ChooseTextPath(const CUxWindow& control, UxTextRun& run) {
  const UxStyle& style = control.Style();
  const int a = control.Opacity();
  if (style.gdiplus || (a >= 1 && a <= 254)) {
    int t = control.ControlAlphaText() >= 0 ? control.ControlAlphaText() : style.alphatxt;
    if (t >= 255) t = 254;
    run.path = UxTextRun::Path::kGdiPlus;
    run.alpha = t * a / 255;
    run.format_ex = style.textmodeex;
    run.render_hint = style.gditxtrndhit;
  } else if (style.shadow) {
    run.path = UxTextRun::Path::kShadow;
    run.shadow = style.crshadow;
  }
}

UxTextRun PlanControlText(const CUxWindow& control, std::wstring_view text, uint32_t format,
                          IUxTextMeasurer& measurer) {
  const UxDrawState state = BeginDraw(control);
  UxTextRun run;
  run.text = text;
  run.format = format;
  run.font = state.font;
  run.colour = state.text == kNoColour ? 0 : state.text;
  run.background = state.background;
  // The paint pipeline has filled the control's background already (a
  // hover colour, a translucent GDI+ fill): text drawn opaque would put a
  // box of the plain colour behind itself.
  run.transparent = true;
  run.rect = CorrectControlTextForYaHei(control, state.text_rect, format, state.font, measurer);
  ChooseTextPath(control, run);
  return run;
}

}  // namespace tw::ux
