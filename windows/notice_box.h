// A modal notice with a single button, used for the reboot notice before
// any other window exists.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

// Blocks until the user closes the notice.
void ShowNotice(HWND owner, const std::wstring& text, const std::wstring& buttonLabel);

}  // namespace tw
