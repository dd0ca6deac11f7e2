// Starting the product's installer from an elevated online installer: as
// the interactive user (with the full administrator token when that user is
// an administrator), else as the user, else with the installer's own token.
// Each starter builds "\"<program>\" <parameters>".
#pragma once

#include <windows.h>

#include <string>

namespace tw {

// `trace` (may be null) receives the steps taken, e.g. "wts:no explorer:yes
// linked:yes admin:yes start:yes": the path a system actually took.
[[nodiscard]] bool StartAsElevatedUser(const std::wstring& program, const std::wstring& parameters, int waitMs,
                                       int show, std::wstring* trace = nullptr);
[[nodiscard]] bool StartAsUser(const std::wstring& program, const std::wstring& parameters, int waitMs, int show,
                               std::wstring* trace = nullptr);
[[nodiscard]] bool StartAsSelf(const std::wstring& program, const std::wstring& parameters, int waitMs, int show,
                               DWORD* exitCode = nullptr);
[[nodiscard]] bool StartWithShellToken(const std::wstring& program, const std::wstring& parameters, int waitMs,
                                       int show, DWORD* exitCode = nullptr);

}  // namespace tw
