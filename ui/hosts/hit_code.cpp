#include "ui/hosts/hit_code.h"

namespace tw::ux {

int HostHitCode(const UxRect& client, int x, int y, bool resizable, bool child) noexcept {
  if (!resizable || child || client.IsEmpty()) return kHitClient;
  const bool left = x < client.left + kResizeBand;
  const bool right = x >= client.right - kResizeBand;
  const bool top = y < client.top + kResizeBand;
  const bool bottom = y >= client.bottom - kResizeBand;
  if (top && left) return 13;
  if (top && right) return 14;
  if (top) return 12;
  if (bottom && left) return 16;
  if (left) return 10;
  if (bottom && right) return 17;
  if (bottom) return 15;
  if (right) return 11;
  return kHitClient;
}

SizingCursor CursorForHitCode(int code) noexcept {
  switch (code) {
    case 10:
    case 11: return SizingCursor::kWestEast;
    case 12:
    case 15: return SizingCursor::kNorthSouth;
    case 13:
    case 17: return SizingCursor::kNorthWestSouthEast;
    case 14:
    case 16: return SizingCursor::kNorthEastSouthWest;
    default: return SizingCursor::kArrow;
  }
}

}  // namespace tw::ux
