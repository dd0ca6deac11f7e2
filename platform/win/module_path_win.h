// The full path of a loaded module, however long.
#pragma once

#include <windows.h>

#include <string>

namespace tw::win {

std::wstring GetModulePath(HMODULE module = nullptr);

}  // namespace tw::win
