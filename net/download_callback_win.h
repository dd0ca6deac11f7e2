// Turns libcurl's frequent progress calls into a few window messages
// (wParam percent, lParam speed in bytes per millisecond), and lets the
// window cancel the download by setting an integer.
#pragma once

#include <windows.h>

#include "net/download_interfaces.h"
#include "net/transfer_rules.h"

namespace tw {

constexpr UINT kDownloadProgressMessage = WM_USER + 103;  // 0x467

class TwDowloadCallback final : public IDownloadCallback {
 public:
  // `cancelFlag` (may be null) is written by the window's thread: non-zero
  // cancels. `continuingMessage` (0: none) is posted before the first
  // progress of a transfer that continues bytes an earlier run fetched.
  TwDowloadCallback(HWND window, UINT message, volatile LONG* cancelFlag, UINT continuingMessage = 0)
      : m_window(window), m_message(message), m_cancel_flag(cancelFlag), m_continuing_message(continuingMessage) {}

  int32_t OnDownloadProgress(uint32_t totalLength, double fraction, int32_t reserved) override;
  void OnTransferStart() override { m_state = ProgressState(); }

 private:
  HWND m_window;
  UINT m_message;
  volatile LONG* m_cancel_flag;
  UINT m_continuing_message;
  ProgressState m_state;
};

}  // namespace tw
