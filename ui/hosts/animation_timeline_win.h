// CUxAnimationTimelineManager: one message-only window and a 1 ms timer
// (id 100) per host; each tick calls every registered animation handler,
// from a snapshot so that a handler may unregister itself or others.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/controls/window.h"

namespace tw::ux::win {

class CUxAnimationTimelineManager {
 public:
  CUxAnimationTimelineManager() = default;
  CUxAnimationTimelineManager(const CUxAnimationTimelineManager&) = delete;
  CUxAnimationTimelineManager& operator=(const CUxAnimationTimelineManager&) = delete;
  ~CUxAnimationTimelineManager() { Stop(); }

  [[nodiscard]] bool Start();
  void Stop();
  bool IsRunning() const noexcept { return m_window != nullptr; }
  void Register(IUxAnimationHandler* handler);
  void Unregister(IUxAnimationHandler* handler);
  // One tick: what the timer does (the renderer and tests call it by hand).
  void Tick();
  size_t HandlerCount() const noexcept { return m_handlers.size(); }

  static constexpr UINT_PTR kTimerId = 100;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  HWND m_window = nullptr;
  std::vector<IUxAnimationHandler*> m_handlers;
};

}  // namespace tw::ux::win
