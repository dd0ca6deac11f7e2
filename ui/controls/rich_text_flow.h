// The flowing rule of rich text: runs placed left to right, wrapped at the
// right edge, each line `linespacing` below the last. Wrapping breaks after
// the last space that fits; a run without such a space (Chinese text, a long
// word) breaks after the last character that fits; a line always takes at
// least one character so that nothing loops.
#pragma once

#include <string>
#include <vector>

#include "ui/drawing/canvas.h"

namespace tw::ux {

enum class RichAlign { kTop, kCentre, kBottom };

struct RichItem {
  enum class Kind { kText, kBreak, kOffset } kind = Kind::kText;
  std::wstring text;
  uint16_t font = 0;
  UxColour colour = 0;
  RichAlign align = RichAlign::kBottom;
  int link = -1;   // index of the link the text belongs to
  int offset = 0;  // kOffset: pixels to advance
};

struct RichRun {
  std::wstring text;
  UxRect rect;
  uint16_t font = 0;
  UxColour colour = 0;
  int link = -1;
};

struct RichFlow {
  std::vector<RichRun> runs;
  int right = 0;   // the widest line's right edge
  int bottom = 0;  // the last line's bottom
};

struct RichFlowBox {
  UxRect area;  // the control's rectangle
  int x_margin = 0;
  int linespacing = 20;
  int spacing = 0;  // gap after each run
  bool dpi_aware = false;
};

RichFlow FlowRichItems(const std::vector<RichItem>& items, const RichFlowBox& box, IUxTextMeasurer& measurer);

}  // namespace tw::ux
