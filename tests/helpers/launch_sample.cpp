// A "dll" package for the launcher tests: its entry function writes the
// parameters it was given to the file they name.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) void WINAPI InstallEntry(const wchar_t* parameters) {
  if (parameters == nullptr) return;
  FILE* file = ::_wfopen(parameters, L"wb");
  if (file == nullptr) return;
  std::fputs("entry called", file);
  std::fclose(file);
}
