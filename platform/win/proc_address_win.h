// A function of a library looked up by name, as the pointer type it has:
// the one place the cast through void* lives.
#pragma once

#include <windows.h>

namespace tw::win {

template <typename Fn>
Fn GetProc(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tw::win
