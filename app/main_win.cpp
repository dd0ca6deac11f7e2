// twinstall.exe: the online installer's process entry.
#include <windows.h>

#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return tw::RunEntry(instance, ::GetCommandLineW());
}
