// The baseline of the start-up benchmark: a minimal Win32 program that opens
// one empty window and waits, as small as a GUI program gets.
#include <windows.h>

static LRESULT CALLBACK EmptyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) ::PostQuitMessage(0);
  return ::DefWindowProcW(window, message, wparam, lparam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &EmptyProc;
  window_class.hInstance = instance;
  window_class.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = L"TwEmptyWindow";
  ::RegisterClassW(&window_class);
  HWND window = ::CreateWindowExW(0, window_class.lpszClassName, L"empty", WS_POPUP | WS_VISIBLE, 100, 100, 580, 410,
                                  nullptr, nullptr, instance, nullptr);
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
