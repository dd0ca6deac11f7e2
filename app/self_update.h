// Before it shows anything, the installer may hand over to a newer copy of
// itself published by the self-update service: downloaded once (remembered
// in the registry), verified by MD5, started with this copy's command line
// plus " -update:0", waited for.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

// True when a verified newer copy is ready. Sends the update report.
bool ShouldSwitchToUpdate();
// True when the newer copy was started and has ended.
[[nodiscard]] bool RunUpdatedCopy(const std::wstring& commandLine);

// For tests: the draw out of 10 000 (default: rand() % 10000).
void SetUpdateDrawForTest(int (*draw)());
// For tests: the running copy's file version as MS << 32 | LS (0: read this
// module's own, as the installer does).
void SetRunningVersionForTest(uint64_t version);

}  // namespace tw
