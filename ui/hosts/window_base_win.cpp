#include "ui/hosts/window_base_win.h"

#include <mutex>
#include <set>
#include <string>

namespace tw::ux::win {

UxWindowBase::~UxWindowBase() { DestroyOwnWindow(); }

void UxWindowBase::DestroyOwnWindow() {
  if (m_hwnd && ::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

HWND UxWindowBase::CreateFrameworkWindow(const wchar_t* class_name, DWORD ex_style, const wchar_t* title, DWORD style,
                                         int x, int y, int width, int height, HWND parent, HMENU id) {
  static std::mutex lock;
  static std::set<std::wstring> registered;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  {
    std::lock_guard<std::mutex> hold(lock);
    if (!registered.count(class_name)) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.style = CS_DBLCLKS;
      wc.lpfnWndProc = &UxWindowBase::StaticProc;
      wc.hInstance = instance;
      wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      wc.lpszClassName = class_name;
      if (::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) registered.insert(class_name);
    }
  }
  return ::CreateWindowExW(ex_style, class_name, title, style, x, y, width, height, parent, id, instance, this);
}

LRESULT UxWindowBase::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  bool handled = false;
  const LRESULT result = OnMessage(message, wparam, lparam, handled);
  return handled ? result : ::DefWindowProcW(m_hwnd, message, wparam, lparam);
}

LRESULT CALLBACK UxWindowBase::StaticProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<UxWindowBase*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<UxWindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hwnd = hwnd;
  }
  if (!self) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  const LRESULT result = self->WindowProc(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self->m_hwnd == hwnd) self->m_hwnd = nullptr;
  }
  return result;
}

}  // namespace tw::ux::win
