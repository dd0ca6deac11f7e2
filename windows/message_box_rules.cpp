#include "windows/message_box_rules.h"

namespace tw {

MessageLines SplitMessageText(const std::wstring& text) {
  MessageLines lines;
  const size_t split = text.find(L'\n');
  if (split == std::wstring::npos) {
    lines.first = text;
    return lines;
  }
  lines.first = text.substr(0, split);
  lines.second = text.substr(split + 1);
  lines.two_lines = true;
  return lines;
}

BoxControls ControlsForFlags(int flags) noexcept {
  BoxControls controls;
  controls.left_button = (flags & kBoxLeftButton) != 0;
  controls.first_link = !controls.left_button && (flags & kBoxFirstLink) != 0;
  controls.right_button = (flags & kBoxRightButton) != 0;
  controls.second_link = !controls.right_button && (flags & kBoxSecondLink) != 0;
  controls.check = (flags & kBoxCheck) != 0;
  return controls;
}

int BoxResult(BoxCloser closer, bool check_shown, bool checked) noexcept {
  int code = 0;
  switch (closer) {
    case BoxCloser::kLeft: code = kBoxClosedLeft; break;
    case BoxCloser::kRight: code = kBoxClosedRight; break;
    case BoxCloser::kFirstLink: code = kBoxClosedFirstLink; break;
    case BoxCloser::kSecondLink: code = kBoxClosedSecondLink; break;
    case BoxCloser::kClose: code = kBoxClosedClose; break;
  }
  if (check_shown && checked) code |= kBoxChecked;
  return code;
}

const char* NewBoxIconSkin(int icon_kind) noexcept {
  switch (icon_kind) {
    case 1: return "circle_blue_tick";
    case 2: return "circle_blue_i";
    case 3: return "circle_red_exclamation";
    default: return "circle_blue_question";
  }
}

}  // namespace tw
