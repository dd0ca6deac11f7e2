// A function of a library looked up by name, as the pointer type it has:
// the one place the cast through void* lives. Every function a Windows
// library exports for lookup is WINAPI (stdcall on 32-bit Windows); a
// pointer type without it would call with the wrong convention and corrupt
// the stack, only in the 32-bit file. So the type is checked here.
#pragma once

#include <windows.h>

#include <type_traits>

namespace tw::win {

template <typename Fn>
struct IsWinapiFunctionPointer : std::false_type {};
template <typename Result, typename... Arguments>
struct IsWinapiFunctionPointer<Result(WINAPI*)(Arguments...)> : std::true_type {};

template <typename Fn>
Fn GetProc(HMODULE module, const char* name) noexcept {
  static_assert(IsWinapiFunctionPointer<Fn>::value, "a library's function is looked up as a WINAPI function pointer");
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tw::win
