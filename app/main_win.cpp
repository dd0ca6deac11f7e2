// twinstall.exe: the online installer's process entry.
#include <windows.h>

#include "app/startup_win.h"
#include "platform/win/library_loading_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything can load a library: from here on none comes from beside
  // the installer or the current directory. Without the system's
  // default-directory functions, our own loads still name full system paths.
  (void)tw::win::RestrictLibrarySearch();
  return tw::RunEntry(instance, ::GetCommandLineW());
}
