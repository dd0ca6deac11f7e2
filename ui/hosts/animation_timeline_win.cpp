#include "ui/hosts/animation_timeline_win.h"

#include <algorithm>

namespace tw::ux::win {

namespace {
constexpr wchar_t kClassName[] = L"UxAnimationTimeline";
}

bool CUxAnimationTimelineManager::Start() {
  if (m_window) return true;
  static const ATOM registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CUxAnimationTimelineManager::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc);
  }();
  (void)registered;
  m_window =
      ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (!m_window) return false;
  ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetTimer(m_window, kTimerId, 1, nullptr);
  return true;
}

void CUxAnimationTimelineManager::Stop() {
  if (!m_window) return;
  ::KillTimer(m_window, kTimerId);
  ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
  ::DestroyWindow(m_window);
  m_window = nullptr;
}

void CUxAnimationTimelineManager::Register(IUxAnimationHandler* handler) {
  if (std::find(m_handlers.begin(), m_handlers.end(), handler) == m_handlers.end()) m_handlers.push_back(handler);
}

void CUxAnimationTimelineManager::Unregister(IUxAnimationHandler* handler) {
  m_handlers.erase(std::remove(m_handlers.begin(), m_handlers.end(), handler), m_handlers.end());
}

void CUxAnimationTimelineManager::Tick() {
  const std::vector<IUxAnimationHandler*> snapshot = m_handlers;
  for (IUxAnimationHandler* handler : snapshot) {
    // Only those still registered: an earlier handler may have stopped it.
    if (std::find(m_handlers.begin(), m_handlers.end(), handler) != m_handlers.end()) handler->OnAnimationTick();
  }
}

LRESULT CALLBACK CUxAnimationTimelineManager::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kTimerId) {
    if (auto* self = reinterpret_cast<CUxAnimationTimelineManager*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) {
      self->Tick();
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace tw::ux::win
