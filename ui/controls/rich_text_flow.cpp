#include "ui/controls/rich_text_flow.h"

#include <algorithm>

namespace tw::ux {

namespace {

UxSize Measure(IUxTextMeasurer& measurer, std::wstring_view text, uint16_t font, bool dpi) {
  return measurer.MeasureText(text, {font, dpi}, dt::kSingleLine | dt::kCalcRect | 0x800 /* DT_NOPREFIX */,
                              {0, 0, 32767, 32767}, false, {});
}

// The longest prefix of `text` no wider than `width` (binary search: widths grow with length).
size_t FittingLength(IUxTextMeasurer& measurer, std::wstring_view text, uint16_t font, bool dpi, int width) {
  size_t low = 0, high = text.size();
  while (low < high) {
    const size_t mid = (low + high + 1) / 2;
    if (Measure(measurer, text.substr(0, mid), font, dpi).cx <= width) low = mid;
    else high = mid - 1;
  }
  return low;
}

}  // namespace

RichFlow FlowRichItems(const std::vector<RichItem>& items, const RichFlowBox& box, IUxTextMeasurer& measurer) {
  RichFlow flow;
  // Hostile documents give absurd rectangles and spacings: keep every sum
  // far from overflowing and stop after a million pixels of lines.
  constexpr int kFar = 1 << 24;
  const int left = std::clamp(box.area.left, -kFar, kFar);
  const int right = std::clamp(box.area.right, -kFar, kFar);
  const int top = std::clamp(box.area.top, -kFar, kFar);
  const int margin = std::clamp(box.x_margin, 0, kFar);
  const int line_start = left + margin;
  const int line_end = std::max(line_start + 1, right - margin);
  const int spacing = std::clamp(box.linespacing, 1, 1 << 16);
  const int gap = std::clamp(box.spacing, 0, 1 << 16);
  int x = line_start;
  int y = top;
  auto new_line = [&] {
    x = line_start;
    y += spacing;
  };
  for (const RichItem& item : items) {
    if (y - top > (1 << 20)) break;
    switch (item.kind) {
      case RichItem::Kind::kBreak: new_line(); break;
      case RichItem::Kind::kOffset:
        x += std::clamp(item.offset, 0, kFar);
        while (x > line_end && y - top <= (1 << 20)) {  // the offset continues on the following lines
          const int over = x - line_end;
          new_line();
          x = line_start + over;
        }
        break;
      case RichItem::Kind::kText: {
        std::wstring_view rest = item.text;
        while (!rest.empty() && y - top <= (1 << 20)) {
          const int available = line_end - x;
          size_t take = available > 0 ? FittingLength(measurer, rest, item.font, box.dpi_aware, available) : 0;
          if (take < rest.size()) {
            const size_t space = rest.substr(0, take).find_last_of(L' ');
            if (space != std::wstring_view::npos && space > 0) take = space + 1;
            if (take == 0 && x > line_start) {  // nothing fits here: try a fresh line
              new_line();
              continue;
            }
            if (take == 0) take = 1;
          }
          const std::wstring piece(rest.substr(0, take));
          const UxSize size = Measure(measurer, piece, item.font, box.dpi_aware);
          int top = y;
          if (item.align == RichAlign::kCentre) top = y + (spacing - size.cy) / 2;
          else if (item.align == RichAlign::kBottom) top = y + spacing - size.cy;
          flow.runs.push_back({piece, {x, top, x + size.cx, top + size.cy}, item.font, item.colour, item.link});
          flow.right = std::max(flow.right, x + size.cx);
          x += size.cx + gap;
          rest.remove_prefix(take);
          if (!rest.empty()) {
            new_line();
            while (!rest.empty() && rest.front() == L' ') rest.remove_prefix(1);  // a wrapped line starts on a word
          }
        }
        break;
      }
    }
  }
  flow.bottom = y + spacing;
  return flow;
}

}  // namespace tw::ux
