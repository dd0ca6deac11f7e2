// The arithmetic of skins: state frames, the nine-grid and the plain
// drawing, as lists of (source, destination) rectangles. Every skin paint is
// these parts handed to AlphaBlend, so the rules are tested as data.
#pragma once

#include <vector>

#include "ui/base/ux_types.h"

namespace tw::ux {

struct BlendPart {
  UxRect src;
  UxRect dst;
};

struct FrameLayout {
  int count = 1;
  int width = 0;
};

// Frame count = width ÷ subwidth (1 when subwidth is 0, larger than the
// image, or the division gives 0); frame width = width ÷ count.
FrameLayout ComputeFrames(int image_width, int subwidth) noexcept;
// The frame drawn for an index: −1 (and any negative) means frame 0, others
// wrap modulo the count.
int FrameForIndex(int index, int count) noexcept;

// State index from a control's state bits with the `correctdrawbg` rule.
int CorrectedStateIndex(uint32_t state) noexcept;

struct Margins {
  int left = 0, right = 0, top = 0, bottom = 0;
};

struct NineGridSource {
  int image_width = 0;
  int image_height = 0;
  int frame_width = 0;
  int frame = 0;
  int origin_x = 0;  // the skin's `left`
  int origin_y = 0;  // the skin's `top`
  Margins margins;
};

// The parts of one frame drawn into `dst`, sources clipped to the image and
// empty parts dropped.
std::vector<BlendPart> NineGridParts(const NineGridSource& source, const UxRect& dst);

struct PlainSource {
  int image_width = 0;
  int image_height = 0;
  int subwidth = 0;
  int frame_count = 1;
  int frame = 0;
  int origin_x = 0;
  int origin_y = 0;
  Margins margins;
  bool middle_tile = false;
};

// The plain drawing: a subwidth frame at natural size, or the three-slice
// path that keeps the image's natural height and cuts a wider image.
std::vector<BlendPart> PlainParts(const PlainSource& source, const UxRect& dst);
// The same with `mode` 1 stretching (DrawImageMode).
std::vector<BlendPart> PlainModeParts(const PlainSource& source, const UxRect& dst, int mode);

// Clips a part's source to the image; false when nothing is left or the
// destination is empty.
bool ClipPart(BlendPart& part, int image_width, int image_height) noexcept;

}  // namespace tw::ux
