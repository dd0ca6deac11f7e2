// Shared by the framework's window tests: the tests' own resource set,
// loaded once, and its reviewed pictures.
#pragma once

#include <string>

#include "tests/win/picture_compare_win.h"
#include "tools/ux_render/render_session_win.h"

namespace tw::ux::test {

// The folder of the tests' resource set, as a Windows path.
std::wstring FixtureFolder();
// Loads the resource set into the framework (once per process).
void UseTestResources();

inline ::testing::AssertionResult MatchesPicture(const win::GdiImage& image, const std::string& name) {
  return tw::test::MatchesPicture(image, name, FixtureFolder());
}
using tw::test::PixelAt;

}  // namespace tw::ux::test
