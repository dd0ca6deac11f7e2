// The Win32 window object behind every host: one registered class per kind,
// the object found from its HWND at every message, and a message handler
// window code overrides (its own map runs before the default procedure).
#pragma once

#include <windows.h>

namespace tw::ux::win {

class UxWindowBase {
 public:
  UxWindowBase() = default;
  UxWindowBase(const UxWindowBase&) = delete;
  UxWindowBase& operator=(const UxWindowBase&) = delete;
  virtual ~UxWindowBase();

  HWND Hwnd() const noexcept { return m_hwnd; }
  bool Exists() const noexcept { return m_hwnd && ::IsWindow(m_hwnd); }

  // Window code's own message map; `handled` false hands on to the default.
  virtual LRESULT OnMessage(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/, bool& /*handled*/) { return 0; }

 protected:
  // Registers (once) and creates a window of a framework class.
  HWND CreateFrameworkWindow(const wchar_t* class_name, DWORD ex_style, const wchar_t* title, DWORD style, int x, int y,
                             int width, int height, HWND parent, HMENU id);
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // Window code first, then DefWindowProc.
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  void DestroyOwnWindow();

  HWND m_hwnd = nullptr;

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace tw::ux::win
