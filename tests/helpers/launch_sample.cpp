// A "dll" package for the launcher tests: its entry function writes the
// parameters it was given to the file they name.
#include <windows.h>

#include <cstdio>

#include "platform/file_open.h"

extern "C" __declspec(dllexport) void WINAPI InstallEntry(const wchar_t* parameters) {
  if (parameters == nullptr) return;
  const tw::UniqueStdioFile file(::_wfopen(parameters, L"wb"));
  if (file) std::fputs("entry called", file.get());
}
