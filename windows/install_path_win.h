// The install path on Windows: the real file-system questions, the default
// path, the folder browser and the path box (EDIT 106).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "windows/install_path.h"

namespace tw {

class WinPathQueries : public IPathQueries {
 public:
  std::optional<uint32_t> Attributes(const std::wstring& path) const override;
  DriveKind DriveType(const std::wstring& root) const override;
  std::optional<uint64_t> FreeBytes(const std::wstring& root) const override;
};

// The 32-bit Program Files + "\tarnwick\tarnwick antivirus\".
std::wstring DefaultInstallPathHere();
// The folder browser over the drive list; the chosen folder's install path.
std::optional<std::wstring> BrowseInstallFolder(HWND owner);

constexpr int kPathBoxId = 106;
// A single-line-looking EDIT (multi-line so that its formatting rectangle
// can centre the line), limited to 150 characters, in the framework's font.
HWND CreatePathBox(HWND parent, const std::wstring& text);
std::wstring PathBoxText(HWND box);
// WM_CTLCOLOREDIT: the line centred in the box, grey text, white background.
HBRUSH ColourPathBox(HWND box, HDC dc);
// Before the box is destroyed: what ColourPathBox kept on it.
void DestroyPathBoxState(HWND box);

}  // namespace tw
