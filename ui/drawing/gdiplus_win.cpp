#include "ui/drawing/gdiplus_win.h"

#include <mutex>

#include "platform/win/library_loading_win.h"

namespace tw::ux::win {

bool EnsureGdiplus() noexcept {
  static std::once_flag once;
  static bool running = false;
  std::call_once(once, [] {
    // Its codecs load the libraries that are loaded behind our back.
    tw::win::PreloadSystemLibraries();
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    // Never shut down: images and fonts made with GDI+ are kept until exit.
    running = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  });
  return running;
}

}  // namespace tw::ux::win
