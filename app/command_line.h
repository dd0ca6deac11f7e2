// The installer's switch grammar. Channel operators and the self-update
// component start the installer with "/name=value", "-name:value", "--name"
// or a quoted value; this is the one place that reads them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/text.h"

namespace tw {

// Switch name -> value. Names compare case-insensitively; a bare switch
// maps to "1"; a repeated switch keeps its last value.
using SwitchMap = std::unordered_map<std::wstring, std::wstring, NoCaseHash, NoCaseEqual>;

SwitchMap ParseSwitches(std::wstring_view commandLine);

}  // namespace tw
