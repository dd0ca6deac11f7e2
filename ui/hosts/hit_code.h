// The host's own hit code: a 4-pixel sizing band along the client edges of a
// resizable top-level window, the client everywhere else.
#pragma once

#include "ui/base/ux_types.h"

namespace tw::ux {

constexpr int kHitClient = 1;
constexpr int kResizeBand = 4;

int HostHitCode(const UxRect& client, int x, int y, bool resizable, bool child) noexcept;

// The cursor for a sizing code: 0 arrow, 1 we, 2 ns, 3 nwse, 4 nesw.
enum class SizingCursor { kArrow, kWestEast, kNorthSouth, kNorthWestSouthEast, kNorthEastSouthWest };
SizingCursor CursorForHitCode(int code) noexcept;

}  // namespace tw::ux
