// Whether an earlier installation waits for a reboot: the product leaves a
// key for it, and its installer a RunOnce value. The installer refuses to
// start on the first and shows the failed page (or, silent, ends) on the second.
#pragma once

namespace tw {

constexpr const wchar_t* kRebootPendingKey = L"SOFTWARE\\tarnwick\\Antivirus\\TwNeedReboot";
constexpr const wchar_t* kRunOnceKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const wchar_t* kRunOnceRebootValue = L"TWAV7NEEDREBOOT";

// The product's reboot key exists (default registry view).
bool IsRebootPending();
// The RunOnce reboot value can be read.
bool IsRebootValueInRunOnce();

}  // namespace tw
