// GDI+ for the framework: started once on first use and kept for the life
// of the process (images and fonts made with it live as long).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

namespace tw::ux::win {

// True when GDI+ is running; callers draw nothing with it otherwise.
[[nodiscard]] bool EnsureGdiplus() noexcept;

}  // namespace tw::ux::win
