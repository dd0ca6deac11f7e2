#include "install/silent_flag.h"

#include <atomic>

namespace tw {
namespace {
std::atomic<int> g_silent{0};
}

bool IsSilent() noexcept { return g_silent.load() != 0; }
void SetSilent() noexcept { g_silent.store(1); }

}  // namespace tw
