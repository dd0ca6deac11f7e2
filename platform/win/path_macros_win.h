// Path macros of configuration documents ("%TEMP%\pkg_????????.exe").
// Two readings exist: package paths (launch) and the survey's rule paths.
#pragma once

#include <string>

namespace tw {

enum class MacroSet {
  kLaunch,  // %ALLUSERSPROFILE% %APPDATA% %TEMP% %SYSTEM% %WINDOWS% %CUR_MODULE% %CUR_EXE_MODULE% %CUR_DIR%;
            // a path without a macro is refused; each "?" becomes a random upper-case hex digit
  kSurvey,  // %ALLUSERSPROFILE% %APPDATA% %TEMP% %SYSTEM% %WINDOWS% %CUR_DIR% %PROGRAMFILES%;
            // a path without a macro is kept as it is
};

// Replaces every occurrence of the first macro found (table order), then
// turns "/" into "\" and collapses doubled backslashes. False when the
// macro's value cannot be read (or, for kLaunch, the path is empty or has no macro).
[[nodiscard]] bool ExpandPathMacros(std::wstring& path, MacroSet set = MacroSet::kLaunch);

}  // namespace tw
