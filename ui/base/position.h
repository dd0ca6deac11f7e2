// The `pos` grammar of layouts and the rule that turns one item into a
// coordinate inside a parent's inner rectangle.
#pragma once

#include <string_view>

namespace tw::ux {

struct PosCoordinate {
  bool center = false;    // counts from the middle of the parent
  bool from_far = false;  // `far`: counts back from the right or bottom edge
  int number = 0;
};

struct ParsedPosition {
  int count = 0;  // 0, 2 or 4 valid items
  PosCoordinate items[4];
  bool IsValid() const noexcept { return count == 2 || count == 4; }
};

// Reads up to four comma-separated items ("|", "-", "w", "h", digits). The
// count is kept only when it is 2 or 4, else 0; the items read stay either
// way (they still give the top-left corner). `scale` maps each number when
// the control is DPI-aware.
ParsedPosition ParsePosition(std::string_view text, int (*scale)(int) = nullptr);

// One coordinate on an axis running from `near_edge` to `far_edge`.
int ResolveCoordinate(const PosCoordinate& item, int near_edge, int far_edge) noexcept;

}  // namespace tw::ux
