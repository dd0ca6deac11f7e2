// The window animator: a layered pop-up over a message box that zooms and
// fades a snapshot of it open or shut, 12 frames of 15 ms each way. When the
// opening ends the box is told to show itself (1026); when the closing ends
// it is told to end its modal run (1027).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

#include "ui/drawing/image_pool_win.h"
#include "windows/animator_rules.h"

namespace tw {

class TwWindowAnimator {
 public:
  static constexpr int kOpen = 5;
  static constexpr int kClose = 0;
  static constexpr UINT kDestroyAnimator = WM_USER + 1;  // 1025
  static constexpr UINT kShowTarget = WM_USER + 2;       // 1026
  static constexpr UINT kEndTarget = WM_USER + 3;        // 1027

  TwWindowAnimator() = default;
  TwWindowAnimator(const TwWindowAnimator&) = delete;
  TwWindowAnimator& operator=(const TwWindowAnimator&) = delete;
  ~TwWindowAnimator();

  // Refused (false) while an animation runs. Kind 0 is the only kind used.
  [[nodiscard]] bool SetKinds(int show_kind, int close_kind);
  // `operation` kOpen or kClose; false when nothing could be animated (the
  // caller then shows or ends the window itself).
  [[nodiscard]] bool Start(HWND target, int operation);
  bool Running() const noexcept { return m_running; }
  // Frames drawn by the last run (tests count them).
  int FramesDrawn() const noexcept { return m_frames_drawn; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void DrawFrame(int frame);
  void Discard();

  HWND m_window = nullptr;
  HWND m_target = nullptr;
  int m_operation = kOpen;
  int m_show_kind = 0;
  int m_close_kind = 0;
  AnimatorGeometry m_geometry;
  std::shared_ptr<ux::win::GdiImage> m_snapshot;
  std::thread m_thread;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_stop{false};
  int m_frames_drawn = 0;
};

}  // namespace tw
