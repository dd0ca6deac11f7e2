// The DWM sheet of glass, tried only on NT 6.0 and 6.1 with composition on.
// The four functions are looked up in dwmapi at first use; when any is
// missing (or under Wine, which reports composition off) the glass stays off.
#pragma once

#include <windows.h>

namespace tw::ux::win {

class DwmGlass {
 public:
  static DwmGlass& Instance();
  bool Available() const noexcept { return m_extend && m_is_enabled && m_enable && m_blur; }
  bool CompositionEnabled() const;
  // Extends the frame over the whole window and turns composition on.
  [[nodiscard]] bool Apply(HWND window) const;
  void BlurBehind(HWND window, HRGN region) const;

 private:
  DwmGlass();
  using ExtendFn = HRESULT(WINAPI*)(HWND, const void*);
  using IsEnabledFn = HRESULT(WINAPI*)(BOOL*);
  using EnableFn = HRESULT(WINAPI*)(UINT);
  using BlurFn = HRESULT(WINAPI*)(HWND, const void*);
  ExtendFn m_extend = nullptr;
  IsEnabledFn m_is_enabled = nullptr;
  EnableFn m_enable = nullptr;
  BlurFn m_blur = nullptr;
  bool m_version_ok = false;
};

}  // namespace tw::ux::win
