#include "ui/base/position.h"

#include <algorithm>
#include <cstdint>
#include <climits>

#include "ui/base/ux_types.h"

namespace tw::ux {

ParsedPosition ParsePosition(std::string_view text, int (*scale)(int)) {
  ParsedPosition parsed;
  bool add_width[4] = {};
  bool add_height[4] = {};
  int count = 0;
  size_t i = 0;
  while (count < 4) {
    PosCoordinate& item = parsed.items[count];
    if (i < text.size() && text[i] == '|') item.center = true, ++i;
    if (i < text.size() && text[i] == '-') item.from_far = true, ++i;
    if (i < text.size() && text[i] == 'w') add_width[count] = true, ++i;
    if (i < text.size() && text[i] == 'h') add_height[count] = true, ++i;
    int64_t number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      number = number * 10 + (text[i] - '0');
      if (number > kMaxCoordinate) number = kMaxCoordinate;  // absurd positions are clamped, never wrapped
    }
    item.number = static_cast<int>(number);
    ++count;
    const size_t comma = text.find(',', i);
    if (comma == std::string_view::npos) break;
    i = comma + 1;
  }
  // "w" and "h" only mean something on the far corner's items, and add the
  // raw numbers before any edge rule applies.
  if (add_width[2])
    parsed.items[2].number =
        static_cast<int>(std::min<int64_t>(kMaxCoordinate, int64_t{parsed.items[2].number} + parsed.items[0].number));
  if (add_height[3])
    parsed.items[3].number =
        static_cast<int>(std::min<int64_t>(kMaxCoordinate, int64_t{parsed.items[3].number} + parsed.items[1].number));
  parsed.count = (count == 2 || count == 4) ? count : 0;
  if (scale) {
    for (auto& item : parsed.items) item.number = scale(item.number);
  }
  return parsed;
}

int ResolveCoordinate(const PosCoordinate& item, int near_edge, int far_edge) noexcept {
  int64_t value;
  if (item.center) {
    value = int64_t{near_edge} + (int64_t{far_edge} - near_edge) / 2 +
            (item.from_far ? -int64_t{item.number} : item.number);
  } else if (item.from_far) {
    value = int64_t{far_edge} - item.number;
  } else {
    value = int64_t{near_edge} + item.number;
  }
  // Within the coordinate range, so that later sums of a few stay inside an int.
  return static_cast<int>(std::clamp<int64_t>(value, -kMaxCoordinate, kMaxCoordinate));
}

}  // namespace tw::ux
