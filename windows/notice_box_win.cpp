#include "windows/notice_box.h"

namespace tw {

// Until the skinned message box is part of the installer, the system box
// carries the text; its single button is the system's own OK.
void ShowNotice(HWND owner, const std::wstring& text, const std::wstring& /*buttonLabel*/) {
  ::MessageBoxW(owner, text.c_str(), L"Tarnwick Zorn", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

}  // namespace tw
