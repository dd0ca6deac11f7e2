#include "ui/drawing/skin_geometry.h"

#include <algorithm>

namespace tw::ux {

namespace {

// Skin numbers come from documents; the parts are worked out in 64 bits and
// brought back within the coordinate range, so that an absurd margin or
// origin clips to nothing instead of wrapping.
using Wide = long long;

int Coordinate(Wide value) { return static_cast<int>(std::clamp<Wide>(value, -kMaxCoordinate, kMaxCoordinate)); }

UxRect Box(Wide x, Wide y, Wide w, Wide h) {
  return {Coordinate(x), Coordinate(y), Coordinate(x + w), Coordinate(y + h)};
}

// A tiled middle never needs more pieces than this.
constexpr Wide kMaxTiles = 1 << 16;

// The image's own size is an int; it only travels as a Wide with the sums.
void Add(std::vector<BlendPart>& parts, const UxRect& src, const UxRect& dst, Wide image_width, Wide image_height) {
  BlendPart part{src, dst};
  if (ClipPart(part, static_cast<int>(image_width), static_cast<int>(image_height))) parts.push_back(part);
}

}  // namespace

FrameLayout ComputeFrames(int image_width, int subwidth) noexcept {
  FrameLayout frames;
  if (subwidth > 0 && subwidth <= image_width) frames.count = std::max(1, image_width / subwidth);
  frames.width = image_width / frames.count;
  return frames;
}

int FrameForIndex(int index, int count) noexcept {
  if (index < 0 || count <= 0) return 0;
  return index % count;
}

int CorrectedStateIndex(uint32_t state) noexcept {
  if (state & kStateDisabled) return 3;
  if (state & kStatePushed) return 2;
  if (state & kStateHover) return 1;
  return 0;
}

bool ClipPart(BlendPart& part, int image_width, int image_height) noexcept {
  if (part.dst.IsEmpty()) return false;
  part.src.left = std::max(part.src.left, 0);
  part.src.top = std::max(part.src.top, 0);
  part.src.right = std::min(part.src.right, image_width);
  part.src.bottom = std::min(part.src.bottom, image_height);
  return !part.src.IsEmpty();
}

std::vector<BlendPart> NineGridParts(const NineGridSource& s, const UxRect& d) {
  std::vector<BlendPart> parts;
  const Wide W = s.image_width, H = s.image_height;
  const Wide ml = s.margins.left, mr = s.margins.right, mt = s.margins.top, mb = s.margins.bottom;
  const Wide fw = s.frame_width;
  const Wide sx = s.origin_x + Wide{s.frame} * fw;
  const Wide sy = s.origin_y;
  const Wide xr = (Wide{s.frame} + 1) * fw - mr;
  const Wide cw = fw - s.origin_x - ml - mr;
  const Wide ch = H - sy - mt - mb;
  const Wide middle_h = Wide{d.bottom} - d.top - mt - mb;
  const Wide middle_w = Wide{d.right} - d.left - ml - mr;
  if (ml > 0) {
    if (mt > 0) Add(parts, Box(sx, sy, ml, mt), Box(d.left, d.top, ml, mt), W, H);
    if (mb > 0) Add(parts, Box(sx, H - mb, ml, mb), Box(d.left, d.bottom - mb, ml, mb), W, H);
    Add(parts, Box(sx, sy + mt, ml, ch), Box(d.left, d.top + mt, ml, middle_h), W, H);
  }
  if (mr > 0) {
    if (mt > 0) Add(parts, Box(xr, sy, mr, mt), Box(d.right - mr, d.top, mr, mt), W, H);
    if (mb > 0) Add(parts, Box(xr, H - mb, mr, mb), Box(d.right - mr, d.bottom - mb, mr, mb), W, H);
    Add(parts, Box(xr, sy + mt, mr, ch), Box(d.right - mr, d.top + mt, mr, middle_h), W, H);
  }
  if (mt > 0) Add(parts, Box(sx + ml, sy, cw, mt), Box(d.left + ml, d.top, middle_w, mt), W, H);
  if (mb > 0) Add(parts, Box(sx + ml, H - mb, cw, mb), Box(d.left + ml, d.bottom - mb, middle_w, mb), W, H);
  Add(parts, Box(sx + ml, sy + mt, cw, ch), Box(d.left + ml, d.top + mt, middle_w, middle_h), W, H);
  return parts;
}

std::vector<BlendPart> PlainParts(const PlainSource& s, const UxRect& d) {
  std::vector<BlendPart> parts;
  const Wide W = s.image_width, H = s.image_height;
  if (s.subwidth > 0) {
    const Wide k = FrameForIndex(s.frame, std::max(1, s.frame_count));
    Add(parts, Box(Wide{s.subwidth} * k, 0, s.subwidth, H), Box(d.left, d.top, s.subwidth, H), W, H);
    return parts;
  }
  const Wide w = Wide{d.right} - d.left, h = Wide{d.bottom} - d.top;
  const Wide ml = s.margins.left, mr = s.margins.right, mt = s.margins.top, mb = s.margins.bottom;
  const Wide sx = s.origin_x, sy = s.origin_y;
  // Left (or top) slice.
  if (ml > 0) {
    Add(parts, Box(sx, sy, ml, h), Box(d.left, d.top, ml, std::min(h, H)), W, H);
  } else if (mt > 0) {
    Add(parts, Box(sx, sy, w, mt), Box(d.left, d.top, w, mt), W, H);
  }
  // Middle.
  if (mt > 0 || mb > 0) {
    Add(parts, Box(sx + ml, sy + mt, std::min(W, w) - ml - mr, std::min(H, h) - mt - mb),
        Box(d.left + ml, d.top + mt, w - ml - mr, h - mt - mb), W, H);
  } else if (!s.middle_tile) {
    Add(parts, Box(sx + ml, sy, std::min(W, w) - ml - mr, h), Box(d.left + ml, d.top, w - ml - mr, std::min(h, H)), W,
        H);
  } else {
    const Wide u = W - ml - mr;
    const Wide v = w - ml - mr;
    if (u > 0 && v > 0) {
      Wide x = d.left + ml;
      const Wide end = d.left + ml + std::min(v, u * kMaxTiles);
      for (; end - x >= u; x += u) Add(parts, Box(sx + ml, sy, u, h), Box(x, d.top, u, h), W, H);
      const Wide rest = end - x;
      if (rest > 0) Add(parts, Box(sx + ml, sy, rest, h), Box(x, d.top, rest, h), W, H);
    }
  }
  // Right (or bottom) slice.
  if (mr > 0) {
    Add(parts, Box(W - mr, sy, mr, h), Box(d.right - mr, d.top, mr, std::min(h, H)), W, H);
  } else if (mb > 0) {
    Add(parts, Box(sx, H - mb, w, mb), Box(d.left, d.bottom - mb, w, mb), W, H);
  }
  return parts;
}

std::vector<BlendPart> PlainModeParts(const PlainSource& s, const UxRect& d, int mode) {
  if (mode != 1) return PlainParts(s, d);
  std::vector<BlendPart> parts;
  const Wide W = s.image_width, H = s.image_height;
  if (s.subwidth > 0) {
    const Wide k = FrameForIndex(s.frame, std::max(1, s.frame_count));
    Add(parts, Box(Wide{s.subwidth} * k, 0, s.subwidth, H), d, W, H);
    return parts;
  }
  if (s.middle_tile || s.margins.top > 0 || s.margins.bottom > 0) return PlainParts(s, d);
  const Wide ml = s.margins.left, mr = s.margins.right;
  const Wide w = Wide{d.right} - d.left, h = Wide{d.bottom} - d.top;
  if (ml > 0) Add(parts, Box(s.origin_x, s.origin_y, ml, h), Box(d.left, d.top, ml, std::min(h, H)), W, H);
  Add(parts, Box(s.origin_x + ml, s.origin_y, W - ml - mr, H), Box(d.left + ml, d.top, w - ml - mr, h), W, H);
  if (mr > 0) Add(parts, Box(W - mr, s.origin_y, mr, h), Box(d.right - mr, d.top, mr, std::min(h, H)), W, H);
  return parts;
}

}  // namespace tw::ux
