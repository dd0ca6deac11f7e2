// What this process holds, counted for leak checks (open/close cycles of a
// window must not grow them). GetProcessHandleCount and GetGuiResources
// answer 0 under Wine; the kernel handle count then comes from the system's
// handle table, which Wine does keep, and the USER count is the windows.
#pragma once

namespace tw::win {

// Kernel handles of this process; 0 when no source answers.
unsigned long CountOwnHandles();

// Windows (top-level and their children) owned by this process's threads.
unsigned long CountOwnWindows();

}  // namespace tw::win
