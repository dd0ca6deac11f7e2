// Start-up of the framework, once per process before the first window: the
// image caches and text measurer installed, then skins (10000), styles
// (10001) and strings (10002) from every source that has them, then the
// base font (string 10 on a YaHei system, else string 11, height -12).
#pragma once

#include <string>

namespace tw::ux::win {

struct UxStartupResult {
  int skin_documents = 0;
  int style_documents = 0;
  int string_documents = 0;
  std::wstring base_face;
};

// Also installs the framework's DPI scaler at the screen's DPI.
UxStartupResult LoadFrameworkResources();

// The DPI of the screen (of the primary monitor until a window knows its own).
int ScreenDpi();
// Reads the system's high-contrast setting and its colours into the
// framework (at start-up and when the system says they changed).
void ReadSystemContrast();

// Scales everything at `dpi` from now on (96: nothing is scaled). The
// product's skin-manager module, when present, would install its own scaler.
void ApplyDpi(int dpi);

}  // namespace tw::ux::win
