#include "windows/install_path_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <type_traits>

#include "platform/win/com_win.h"

#include "ui/drawing/font_pool_win.h"

namespace tw {

std::optional<uint32_t> WinPathQueries::Attributes(const std::wstring& path) const {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

DriveKind WinPathQueries::DriveType(const std::wstring& root) const {
  return ::GetDriveTypeW(root.c_str()) == DRIVE_FIXED ? DriveKind::kFixed : DriveKind::kOther;
}

std::optional<uint64_t> WinPathQueries::FreeBytes(const std::wstring& root) const {
  ULARGE_INTEGER available{}, total{}, free{};
  if (!::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return std::nullopt;
  return free.QuadPart;
}

std::wstring DefaultInstallPathHere() {
  wchar_t folder[MAX_PATH] = {};
  // A 32-bit process is given the 32-bit Program Files on a 64-bit system.
  if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_PROGRAM_FILES, FALSE)) folder[0] = 0;
  return DefaultInstallPath(folder);
}

std::optional<std::wstring> BrowseInstallFolder(HWND owner) {
  // COM is set up where it is needed, not before the first page.
  win::ComApartment com;
  wchar_t saved[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, saved);
  using ItemList = win::UniqueCoTaskMem<std::remove_pointer_t<PIDLIST_ABSOLUTE>>;
  PIDLIST_ABSOLUTE drives_list = nullptr;
  ::SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives_list);
  const ItemList drives(drives_list);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = drives.get();
  info.lpszTitle = L"选择安装路径";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  const ItemList chosen(::SHBrowseForFolderW(&info));
  std::optional<std::wstring> path;
  wchar_t folder[MAX_PATH] = {};
  if (chosen && ::SHGetPathFromIDListW(chosen.get(), folder)) path = BrowsedInstallPath(folder);
  ::SetCurrentDirectoryW(saved);
  return path;
}

namespace {

// Control+A selects the whole path, as users expect of a text box.
LRESULT CALLBACK PathBoxKeys(HWND box, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_KEYDOWN && wparam == 'A' && (::GetKeyState(VK_CONTROL) & 0x8000)) {
    ::SendMessageW(box, EM_SETSEL, 0, -1);
    return 0;
  }
  if (message == WM_CHAR && wparam == 1) return 0;  // the Control+A character itself
  return ::DefSubclassProc(box, message, wparam, lparam);
}

}  // namespace

HWND CreatePathBox(HWND parent, const std::wstring& text) {
  HWND box = ::CreateWindowExW(
      WS_EX_WINDOWEDGE, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL, 0, 0,
      10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPathBoxId)), ::GetModuleHandleW(nullptr), nullptr);
  if (!box) return nullptr;
  // The base font at the DPI factor, as the framework's own texts.
  ::SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(ux::win::UxFontPool::Instance().Font({0, true})), FALSE);
  ::SendMessageW(box, EM_LIMITTEXT, kInstallPathLimit, 0);
  ::SetWindowSubclass(box, &PathBoxKeys, kPathBoxId, 0);
  return box;
}

void DestroyPathBoxState(HWND box) { ::RemovePropW(box, L"TwFormattedSize"); }

std::wstring PathBoxText(HWND box) {
  wchar_t text[261] = {};
  ::GetWindowTextW(box, text, 261);
  return text;
}

HBRUSH ColourPathBox(HWND box, HDC dc) {
  RECT client;
  ::GetClientRect(box, &client);
  TEXTMETRICW metrics{};
  HGDIOBJ old = ::SelectObject(dc, ux::win::UxFontPool::Instance().Font({0, true}));
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  const int down = (client.bottom - metrics.tmHeight - metrics.tmExternalLeading) / 2;
  RECT format = client;
  ::OffsetRect(&format, 7, down);
  // Set once per box size: a new formatting rectangle in the middle of the
  // edit's own paint leaves that paint's text out (seen under Wine), so the
  // box is painted once more with it in place.
  const LONG_PTR size = MAKELONG(client.right, client.bottom);
  if (reinterpret_cast<LONG_PTR>(::GetPropW(box, L"TwFormattedSize")) != size) {
    ::SetPropW(box, L"TwFormattedSize", reinterpret_cast<HANDLE>(size));
    ::SendMessageW(box, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&format));
    ::InvalidateRect(box, nullptr, TRUE);
  }
  ::SetTextColor(dc, RGB(173, 173, 173));
  ::SetBkColor(dc, RGB(255, 255, 255));
  return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

}  // namespace tw
