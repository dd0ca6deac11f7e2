#include "ui/controls/progress_rules.h"

#include <algorithm>
#include <cstdio>

namespace tw::ux {

double NormaliseProgress(ProgressRange& range) noexcept {
  if (range.max < range.min) std::swap(range.min, range.max);
  range.value = std::clamp(range.value, range.min, range.max);
  if (range.max == range.min) return 0.0;
  return static_cast<double>(static_cast<int64_t>(range.value) - range.min) /
         static_cast<double>(static_cast<int64_t>(range.max) - range.min);
}

std::wstring ProgressPercentText(const ProgressRange& range) {
  const int64_t span = int64_t{range.max} - range.min;
  const int64_t percent = span > 0 ? (int64_t{range.value} - range.min) * 100 / span : 0;
  return std::to_wstring(percent) + L"%";
}

UxRect SkinFillRect(const UxRect& bar, int skin_inset, int skin_height, double ratio) noexcept {
  const int inset = std::min(skin_inset, bar.Width() / 2);
  UxRect part{bar.left + inset, bar.top, bar.right - inset, bar.bottom};
  if (skin_height > 0 && skin_height < part.Height()) {
    part.top = bar.top + (bar.Height() - skin_height) / 2;
    part.bottom = part.top + skin_height;
  }
  part.right = part.left + static_cast<int>(part.Width() * ratio);
  return part;
}

UxRect BlockFillRect(const UxRect& bar, double ratio) noexcept {
  UxRect block = bar.Deflated(2, 2);
  block.right = block.left + static_cast<int>(block.Width() * ratio);
  return block;
}

void AdvanceMarquee(MarqueeState& state, const UxRect& bar) noexcept {
  constexpr int kStep = 10;
  constexpr int kLead = 30;
  if (!state.started) {
    state.block = bar.Deflated(2, 2);
    state.block.right = state.block.left;
    state.origin = state.block.left;
    state.started = true;
  }
  UxRect& block = state.block;
  if (block.right <= state.origin + kLead) {
    block.right += kStep;
  } else if (block.right >= bar.right) {  // pinned blocks keep shrinking, never jump back out
    block.right = bar.right;
    block.left += kStep;
    if (block.left >= bar.right) block.left = block.right = state.origin;
  } else {
    block.left += kStep;
    block.right += kStep;
  }
}

}  // namespace tw::ux
