// The progress bar's arithmetic: range normalisation, the filled part, the
// percentage text and the marquee block's walk.
#pragma once

#include <string>

#include "ui/base/ux_types.h"

namespace tw::ux {

struct ProgressRange {
  int min = 0;
  int max = 0;
  int value = 0;
};

// Swaps an inverted range and clamps the value into it (both stored back by
// the control); returns the ratio, 0 for an empty range.
double NormaliseProgress(ProgressRange& range) noexcept;

// "%d%%" of the truncated percentage, in whole numbers so that 37 of 100
// reads 37% (the ratio in floating point is 36.99...).
std::wstring ProgressPercentText(const ProgressRange& range);

// The filled part drawn with a fill skin of height `skin_height`.
UxRect SkinFillRect(const UxRect& bar, int skin_inset, int skin_height, double ratio) noexcept;
// The filled block without a skin.
UxRect BlockFillRect(const UxRect& bar, double ratio) noexcept;

// The marquee block, advanced once per paint.
struct MarqueeState {
  bool started = false;
  int origin = 0;
  UxRect block;
};
void AdvanceMarquee(MarqueeState& state, const UxRect& bar) noexcept;

}  // namespace tw::ux
