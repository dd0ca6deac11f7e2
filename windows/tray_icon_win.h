// The notification-area icon of the main window: added once, its tooltip
// replaced as the install goes on, removed with the window.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace tw {

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  [[nodiscard]] bool Add(HWND window, UINT id, UINT callback_message, HICON icon, const std::wstring& tip);
  // At most 127 characters are kept.
  [[nodiscard]] bool SetTip(const std::wstring& tip);
  void Remove();
  bool Added() const noexcept { return m_added; }
  const std::wstring& Tip() const noexcept { return m_tip; }

 private:
  NOTIFYICONDATAW m_data{};
  bool m_added = false;
  std::wstring m_tip;
};

}  // namespace tw
