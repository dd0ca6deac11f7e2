// The message boxes' rules: the text split into two lines, which buttons
// and links the flags show, the icon, and the result code.
#pragma once

#include <string>

namespace tw {

// Flags of a message box.
constexpr int kBoxLeftButton = 0x1;
constexpr int kBoxRightButton = 0x2;
constexpr int kBoxFirstLink = 0x4;
constexpr int kBoxSecondLink = 0x8;
constexpr int kBoxCheck = 0x10;

// Result codes.
constexpr int kBoxClosedLeft = 1;
constexpr int kBoxClosedRight = 2;
constexpr int kBoxClosedFirstLink = 4;
constexpr int kBoxClosedSecondLink = 8;
constexpr int kBoxClosedClose = 32;
constexpr int kBoxChecked = 0x10;

struct MessageLines {
  std::wstring first;
  std::wstring second;
  bool two_lines = false;
};
// One line, or two split at the first "\n" (the rest, more "\n" included,
// is the second line).
MessageLines SplitMessageText(const std::wstring& text);

struct BoxControls {
  bool left_button = false, first_link = false, right_button = false, second_link = false, check = false;
};
// Bit 1 wins over bit 3 and bit 2 over bit 4.
BoxControls ControlsForFlags(int flags) noexcept;

enum class BoxCloser { kLeft, kRight, kFirstLink, kSecondLink, kClose };
int BoxResult(BoxCloser closer, bool check_shown, bool checked) noexcept;

// The icon of a new-style box: 1 tick, 2 "i", 3 exclamation, else the question.
const char* NewBoxIconSkin(int icon_kind) noexcept;

}  // namespace tw
