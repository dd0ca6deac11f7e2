// Starting programs from an elevated online installer: the product's
// installer as the interactive user (with the full administrator token when
// that user is an administrator), else as the user, else with the
// installer's own token; web pages as the user, never elevated. Each
// starter builds "\"<program>\" <parameters>".
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
// Starts `program` as the signed-in user without elevation, not waited
// for: with the desktop shell's token when it is this user's and not
// elevated, else with its linked limited token. Never elevated: false (with
// nothing started) when no such token can be had or the system would not
// start the program with it. `trace` receives the steps, e.g. "shell:yes
// linked:yes limited:yes with-token:yes unelevated:no as-user:yes
// unelevated:yes".
[[nodiscard]] bool StartUnelevated(const std::wstring& program, const std::wstring& parameters,
                                   std::wstring* trace = nullptr);

}  // namespace tw
