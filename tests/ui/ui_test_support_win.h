// Shared by the window tests: the tests' own resource set, loaded once, and
// image comparison against checked-in pictures.
#pragma once

#include <string>

#include "tools/ux_render/render_session_win.h"

namespace tw::ux::test {

// The folder of the tests' resource set, as a Windows path.
std::wstring FixtureFolder();
// Loads the resource set into the framework (once per process).
void UseTestResources();

// Compares a rendering with expected/<name>.png. Channels may differ by a
// small amount (font rasterising), and only on a few pixels; the message
// names the differing pixels. With TW_UPDATE_PICTURES=1 in the environment
// the picture is written instead. The rendering is always saved to
// ui-actual/<name>.png beside the test program for review.
::testing::AssertionResult MatchesPicture(const win::GdiImage& image, const std::string& name);

// The straight-alpha ARGB pixel at (x, y).
uint32_t PixelAt(const win::GdiImage& image, int x, int y);

}  // namespace tw::ux::test
