// The window animator's arithmetic: the animator window around its target,
// and each frame's size and opacity for the zoom-and-fade of kind 0.
#pragma once

namespace tw {

struct AnimatorRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
};

constexpr int kAnimatorShadow = 4;   // the snapshot includes 4 pixels around the target
constexpr int kAnimatorFrames = 12;  // kind 0, both ways
constexpr int kAnimatorIntervalMs = 15;

struct AnimatorGeometry {
  AnimatorRect snapshot;  // the target's rectangle grown by 4 on every side
  int horizontal_margin = 0;
  int vertical_margin = 0;
  AnimatorRect window;  // the snapshot plus the margins, centred on the target
};
AnimatorGeometry ComputeAnimatorGeometry(const AnimatorRect& target) noexcept;

struct AnimatorFrame {
  int width = 0;
  int height = 0;
  int opacity = 0;
};
// Frame `frame` (1..count) of the opening or the closing zoom.
AnimatorFrame OpeningFrame(const AnimatorGeometry& geometry, int frame, int count) noexcept;
AnimatorFrame ClosingFrame(const AnimatorGeometry& geometry, int frame, int count) noexcept;

}  // namespace tw
