#include "ui/layout/focus_order.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace tw::ux {

namespace {

bool OneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool IsClickable(const CUxWindow& control) {
  if (!control.Href().empty()) return true;
  return control.Id() != 0 && OneOf(control.TagName(), {"button", "imgbtn", "dlgbtn", "dlgbtnEx2", "link", "skinbtn",
                                                        "imgbtnsized", "check", "radio", "imgradio"});
}

void CollectInLayoutOrder(const CUxWindow& control, const UxRect& client, std::vector<const CUxWindow*>& found) {
  if (!control.IsVisible(false)) return;  // nothing under a hidden control is on the screen
  if (TakesKeyboardFocus(control)) {
    if (control.Rect().Intersects(client)) found.push_back(&control);
    return;  // a button's texts and images are part of it
  }
  if (!control.IsPanel()) return;
  for (const auto& child : static_cast<const CUxPanel&>(control).Children()) {
    CollectInLayoutOrder(*child, client, found);
  }
}

}  // namespace

bool IsRealWindowPlaceholder(const CUxWindow& control) {
  return control.Id() != 0 && OneOf(control.TagName(), {"realwnd", "realwnd2", "realwndex"});
}

bool TakesKeyboardFocus(const CUxWindow& control) {
  if (!IsClickable(control) && !IsRealWindowPlaceholder(control)) return false;
  return control.IsVisible(true) && !control.IsDisabled(true) && !control.Rect().IsEmpty();
}

std::vector<UxHandle> KeyboardOrder(UxLayout& layout, const UxRect& client) {
  std::vector<const CUxWindow*> found;
  layout.ForEachLoadedSection([&](CUxDialog& section) { CollectInLayoutOrder(section, client, found); });
  std::stable_sort(found.begin(), found.end(),
                   [](const CUxWindow* a, const CUxWindow* b) { return a->TabIndex() < b->TabIndex(); });
  std::vector<UxHandle> order;
  order.reserve(found.size());
  for (const CUxWindow* control : found) order.push_back(control->Handle());
  return order;
}

UxHandle NextInKeyboardOrder(const std::vector<UxHandle>& order, UxHandle current, bool forward) {
  if (order.empty()) return 0;
  const auto at = std::find(order.begin(), order.end(), current);
  if (at == order.end()) return forward ? order.front() : order.back();
  const size_t index = static_cast<size_t>(at - order.begin());
  if (forward) return order[(index + 1) % order.size()];
  return order[(index + order.size() - 1) % order.size()];
}

UxRect FocusCueBounds(const UxRect& control) {
  return {control.left - kFocusCueOutset, control.top - kFocusCueOutset, control.right + kFocusCueOutset,
          control.bottom + kFocusCueOutset};
}

namespace {

// A ring `width` pixels wide whose outer edge is `outset` pixels outside `r`.
void Ring(IUxCanvas& canvas, const UxRect& r, int outset, int width, UxColour colour) {
  const UxRect o{r.left - outset, r.top - outset, r.right + outset, r.bottom + outset};
  canvas.FillSolid({o.left, o.top, o.right, o.top + width}, colour);
  canvas.FillSolid({o.left, o.bottom - width, o.right, o.bottom}, colour);
  canvas.FillSolid({o.left, o.top + width, o.left + width, o.bottom - width}, colour);
  canvas.FillSolid({o.right - width, o.top + width, o.right, o.bottom - width}, colour);
}

}  // namespace

void PaintFocusCue(IUxCanvas& canvas, const UxRect& control, const FocusCueColours& colours) {
  if (control.IsEmpty()) return;
  Ring(canvas, control, 1, 1, colours.inner);
  Ring(canvas, control, kFocusCueOutset, 2, colours.outer);
}

}  // namespace tw::ux
