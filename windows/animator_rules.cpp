#include "windows/animator_rules.h"

namespace tw {

AnimatorGeometry ComputeAnimatorGeometry(const AnimatorRect& target) noexcept {
  AnimatorGeometry geometry;
  geometry.snapshot = {target.left - kAnimatorShadow, target.top - kAnimatorShadow, target.right + kAnimatorShadow,
                       target.bottom + kAnimatorShadow};
  const int w = geometry.snapshot.Width(), h = geometry.snapshot.Height();
  geometry.horizontal_margin = w / 4;
  geometry.vertical_margin = h / 4;
  geometry.window = {geometry.snapshot.left - w / 8, geometry.snapshot.top - h / 8, geometry.snapshot.right + w / 8,
                     geometry.snapshot.bottom + h / 8};
  return geometry;
}

AnimatorFrame OpeningFrame(const AnimatorGeometry& geometry, int frame, int count) noexcept {
  AnimatorFrame out;
  if (count <= 0 || frame <= 0) return out;
  const int full_w = geometry.window.Width() - geometry.horizontal_margin;
  const int full_h = geometry.window.Height() - geometry.vertical_margin;
  out.width = full_w * frame / count;
  out.height = full_h * frame / count;
  out.opacity = (frame * 100 / count * 240) / 100;
  return out;
}

AnimatorFrame ClosingFrame(const AnimatorGeometry& geometry, int frame, int count) noexcept {
  AnimatorFrame out;
  if (count <= 0 || frame > count) return out;  // after the last frame nothing is seen
  const int full_w = geometry.window.Width() - geometry.horizontal_margin;
  const int full_h = geometry.window.Height() - geometry.vertical_margin;
  out.width = full_w - full_w * frame / count;
  out.height = full_h - full_h * frame / count;
  out.opacity = 255 - (frame * 100 / count * 240) / 100;
  return out;
}

}  // namespace tw
