#include "ui/hosts/modal_win.h"

namespace tw::ux::win {

namespace {
HWND g_main_window = nullptr;
constexpr UINT kForwardMessage = 0x037F;  // WM_FORWARDMSG
}  // namespace

HWND CurrentMainWindow() noexcept { return g_main_window; }
void SetCurrentMainWindow(HWND window) noexcept { g_main_window = window; }

void BringToFront(HWND window) {
  ::SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  HWND foreground = ::GetForegroundWindow();
  const DWORD foreground_thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
  const DWORD own_thread = ::GetCurrentThreadId();
  const bool attach = foreground_thread && foreground_thread != own_thread;
  if (attach) ::AttachThreadInput(own_thread, foreground_thread, TRUE);
  ::SetForegroundWindow(window);
  if (attach) ::AttachThreadInput(own_thread, foreground_thread, FALSE);
}

bool PreTranslateModalMessage(HWND dialog, MSG& message) {
  const bool keyboard = message.message >= WM_KEYDOWN && message.message <= WM_UNICHAR;
  const bool mouse = message.message >= WM_MOUSEFIRST && message.message <= 0x20D;
  if (!keyboard && !mouse) return false;
  HWND focus = ::GetFocus();
  // Tab goes through windowless controls and child windows alike, which the
  // dialog manager cannot see: the form moves the focus itself.
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && focus && ::IsChild(dialog, focus)) {
    ::SendMessageW(dialog, WM_KEYDOWN, VK_TAB, message.lParam);
    return true;
  }
  if (focus && focus != dialog && ::IsChild(dialog, focus)) {
    while (::GetParent(focus) != dialog) focus = ::GetParent(focus);
  } else if (focus == dialog) {
    focus = nullptr;
  }
  if (focus && ::SendMessageW(focus, kForwardMessage, 0, reinterpret_cast<LPARAM>(&message)) == 1) return true;
  return ::IsDialogMessageW(dialog, &message) != FALSE;
}

void RunModalLoop(HWND window, HWND dialog, ModalState& state) {
  MSG message;
  while (!state.end && ::IsWindow(window)) {
    if (::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message == WM_QUIT) break;
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
      break;
    }
    if (got == -1) continue;
    if (!PreTranslateModalMessage(dialog, message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

void EndModal(ModalState& state, INT_PTR result) {
  state.result = result;
  state.end = true;
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

HWND ChooseModalOwner(HWND given) {
  HWND owner = given ? given : g_main_window ? g_main_window : ::GetActiveWindow();
  if (!owner || owner == ::GetDesktopWindow() || !::IsWindow(owner)) return nullptr;
  return owner;
}

void CenterOnOwner(HWND window, HWND owner) {
  RECT own, area;
  ::GetWindowRect(window, &own);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info);
    area = info.rcWork;
  }
  const int width = own.right - own.left, height = own.bottom - own.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RunModalWindow(IModalWindow& window, HWND owner_given, const RECT* rect) {
  HWND owner = ChooseModalOwner(owner_given);
  const bool disabled_owner = owner && ::IsWindowEnabled(owner);
  if (disabled_owner) ::EnableWindow(owner, FALSE);
  HWND hwnd = window.CreateModalWindow(owner, rect);
  if (!hwnd) {
    if (disabled_owner) ::EnableWindow(owner, TRUE);
    return false;
  }
  HWND previous_main = CurrentMainWindow();
  SetCurrentMainWindow(hwnd);
  if (!rect) CenterOnOwner(hwnd, owner);
  window.ShowModalWindow(hwnd);
  window.RunModalLoop();
  // A box that hid itself as it closed (the zoom) has already given up the
  // activation, to no window: the owner takes it back all the same, or no
  // key would reach any window of the installer.
  HWND active = ::GetActiveWindow();
  const bool was_active = active == hwnd || active == nullptr;
  if (::IsWindow(hwnd)) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (disabled_owner) ::EnableWindow(owner, TRUE);
  if (was_active && owner) ::SetActiveWindow(owner);
  SetCurrentMainWindow(previous_main);
  window.DestroyModalWindow();
  return true;
}

RECT InitialWindowRect(const RECT* given, int width, int height, int min_width, int min_height) {
  RECT place = given ? *given : RECT{0, 0, width, height};
  if (place.right - place.left < min_width) place.right = place.left + min_width;
  if (place.bottom - place.top < min_height) place.bottom = place.top + min_height;
  return place;
}

}  // namespace tw::ux::win
