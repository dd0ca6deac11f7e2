// The process entry's work: switches, the single-instance guard, the
// firewall exception, the channel and the reboot check, then the main
// window. Every path ends in exit code 0: the installer never reports
// failure through its exit code, because nobody reads it.
#pragma once

#include <functional>
#include <windows.h>

#include <string>

#include "app/channel_info.h"

namespace tw {

int RunEntry(HINSTANCE instance, const std::wstring& commandLine);

// Reads the channel, then runs the main window unless a reboot is pending.
// `onFirstPage` (may be empty) runs on this thread once the first page shows.
// `stays` (may be empty) is asked before anything shows, while the window
// is already made: when it answers false nothing shows, and the answer is
// false (the caller hands over to a newer copy).
[[nodiscard]] bool RunInstaller(const std::wstring& commandLine, std::function<void()> onFirstPage = {},
                                std::function<bool()> stays = {});

// The channel with every default applied, and the silent flag set when asked.
ChannelInfo ReadChannel(const std::wstring& commandLine, const std::wstring& modulePath);

}  // namespace tw
