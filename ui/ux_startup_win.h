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

UxStartupResult LoadFrameworkResources();

}  // namespace tw::ux::win
