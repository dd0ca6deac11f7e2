#include "windows/tray_icon_win.h"

#include <cwchar>

namespace tw {

namespace {
void CopyTip(NOTIFYICONDATAW& data, const std::wstring& tip) {
  std::wcsncpy(data.szTip, tip.c_str(), 127);
  data.szTip[127] = 0;
}
}  // namespace

bool TrayIcon::Add(HWND window, UINT id, UINT callback_message, HICON icon, const std::wstring& tip) {
  Remove();
  m_data = NOTIFYICONDATAW{};
  m_data.cbSize = sizeof m_data;
  m_data.hWnd = window;
  m_data.uID = id;
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_data.uCallbackMessage = callback_message;
  m_data.hIcon = icon;
  CopyTip(m_data, tip);
  m_tip = m_data.szTip;
  m_added = ::Shell_NotifyIconW(NIM_ADD, &m_data) != FALSE;
  return m_added;
}

bool TrayIcon::SetTip(const std::wstring& tip) {
  CopyTip(m_data, tip);
  m_tip = m_data.szTip;
  m_data.uFlags = NIF_TIP;
  return m_added && ::Shell_NotifyIconW(NIM_MODIFY, &m_data) != FALSE;
}

void TrayIcon::Remove() {
  if (m_added) ::Shell_NotifyIconW(NIM_DELETE, &m_data);
  m_added = false;
}

}  // namespace tw
