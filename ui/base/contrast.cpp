#include "ui/base/contrast.h"

namespace tw::ux {

namespace {
HighContrastColours g_colours;
}

void SetHighContrast(const HighContrastColours& colours) noexcept { g_colours = colours; }
const HighContrastColours& HighContrast() noexcept { return g_colours; }

}  // namespace tw::ux
