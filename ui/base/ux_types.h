// Plain values shared by the whole framework: rectangles, colours, the
// control state bits, notification codes and the Win32 numbers the layout
// rules speak in. Kept free of <windows.h> so that layout, hit testing and
// drawing arithmetic build and are tested natively; the Windows files check
// with static_asserts that these numbers equal the SDK's.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tw::ux {

// Coordinates from documents are kept within this range where they are
// combined, so that sums of a few of them stay far inside an int.
constexpr int kMaxCoordinate = 1 << 28;

struct UxPoint {
  int x = 0;
  int y = 0;
};

struct UxSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const UxSize& a, const UxSize& b) { return a.cx == b.cx && a.cy == b.cy; }
};

// Right and bottom edges are excluded, as for a Win32 RECT.
struct UxRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const noexcept { return right - left; }
  int Height() const noexcept { return bottom - top; }
  bool IsEmpty() const noexcept { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const noexcept { return x >= left && x < right && y >= top && y < bottom; }
  bool Intersects(const UxRect& o) const noexcept {
    return std::max(left, o.left) < std::min(right, o.right) && std::max(top, o.top) < std::min(bottom, o.bottom);
  }
  UxRect Deflated(int dx, int dy) const noexcept { return {left + dx, top + dy, right - dx, bottom - dy}; }
  UxRect Offset(int dx, int dy) const noexcept {
    // Saturating: a rectangle moved out of range stays at the range's edge.
    auto move = [](int value, int by) {
      return static_cast<int>(std::clamp<int64_t>(int64_t{value} + by, INT32_MIN, INT32_MAX));
    };
    return {move(left, dx), move(top, dy), move(right, dx), move(bottom, dy)};
  }
  friend bool operator==(const UxRect& a, const UxRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend bool operator!=(const UxRect& a, const UxRect& b) { return !(a == b); }
};

// A Win32 COLORREF: red in the low byte. kNoColour marks "not set".
using UxColour = uint32_t;
constexpr UxColour kNoColour = 0xFFFFFFFFu;
constexpr UxColour MakeColour(int r, int g, int b) {
  return static_cast<UxColour>(r & 0xFF) | (static_cast<UxColour>(g & 0xFF) << 8) |
         (static_cast<UxColour>(b & 0xFF) << 16);
}
constexpr int ColourRed(UxColour c) { return static_cast<int>(c & 0xFF); }
constexpr int ColourGreen(UxColour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int ColourBlue(UxColour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Control state bits.
constexpr uint32_t kStateHover = 0x01;
constexpr uint32_t kStatePushed = 0x02;
constexpr uint32_t kStateChecked = 0x04;
constexpr uint32_t kStateHidden = 0x08;
constexpr uint32_t kStateDisabled = 0x10;

// Framework notification codes (the `code` of a UxNotice).
constexpr uint32_t UXN_CLICK = 1;
constexpr uint32_t UXN_CHILD_WINDOW_RESIZE = 2;
constexpr uint32_t UXN_POINTER_ENTER = 3;
constexpr uint32_t UXN_POINTER_LEAVE = 4;
constexpr uint32_t UXN_CONTROL_POINTER = 6;
constexpr uint32_t UXN_PRESS = 7;
constexpr uint32_t UXN_DOUBLE_CLICK = 8;
constexpr uint32_t UXN_RIGHT_PRESS = 9;
constexpr uint32_t UXN_RIGHT_RELEASE = 13;
constexpr uint32_t UXN_REPAINT_REQUEST = 1000;

// The id a top-level host reports as idFrom, and the control id of the
// framed dialog's inner view.
constexpr intptr_t kTopLevelNoticeId = -1;
constexpr int kFramedViewId = 1000;

// DrawText format bits used by styles and text drawing.
namespace dt {
constexpr uint32_t kTop = 0x0, kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kBottom = 0x8;
constexpr uint32_t kWordBreak = 0x10, kSingleLine = 0x20, kCalcRect = 0x400;
constexpr uint32_t kPathEllipsis = 0x4000, kEndEllipsis = 0x8000, kModifyString = 0x10000;
constexpr uint32_t kWordEllipsis = 0x40000;
}  // namespace dt

// Window style bits the layer document computes.
namespace ws {
constexpr uint32_t kPopup = 0x80000000u, kChild = 0x40000000u, kMinimize = 0x20000000u;
constexpr uint32_t kVisible = 0x10000000u, kClipSiblings = 0x04000000u, kClipChildren = 0x02000000u;
constexpr uint32_t kSysMenu = 0x00080000u, kThickFrame = 0x00040000u, kMinimizeBox = 0x00020000u;
constexpr uint32_t kMaximizeBox = 0x00010000u, kTabStop = 0x00010000u;
constexpr uint32_t kExTopmost = 0x8u, kExToolWindow = 0x80u, kExWindowEdge = 0x100u, kExClientEdge = 0x200u;
constexpr uint32_t kExControlParent = 0x10000u, kExAppWindow = 0x40000u, kExLayered = 0x80000u;
}  // namespace ws

// Mouse and window messages controls receive through DeliverUxMessage.
namespace msg {
constexpr uint32_t kCreate = 0x0001, kDestroy = 0x0002, kPaint = 0x000F, kShowWindow = 0x0018;
constexpr uint32_t kWindowPosChanged = 0x0047, kNcCalcSize = 0x0083, kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201, kLButtonUp = 0x0202, kLButtonDblClk = 0x0203;
constexpr uint32_t kRButtonDown = 0x0204, kRButtonUp = 0x0205, kMouseWheel = 0x020A, kMouseLeave = 0x02A3;
}  // namespace msg

// The HRESULT-like answers of ApplyAttribute.
constexpr int kAttrChanged = 1;            // S_FALSE: handled, treat the control as changed
constexpr int kAttrHandled = 0;            // S_OK
constexpr int kAttrUnknown = -2147467259;  // E_FAIL (0x80004005)

}  // namespace tw::ux
