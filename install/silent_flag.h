// The process-wide silent flag: set once on the UI thread before the main
// window exists, read later by the window and the controller's worker.
#pragma once

namespace tw {

bool IsSilent() noexcept;
void SetSilent() noexcept;  // there is no way back to 0

}  // namespace tw
