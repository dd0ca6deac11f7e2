// Pictures of windows compared with reviewed ones: each rendering is saved
// beside the test program for review; TW_UPDATE_PICTURES=1 rewrites the
// expected picture instead of comparing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ui/drawing/image_pool_win.h"

namespace tw::test {

// A path of the machine running Wine as a Windows path (on drive Z:).
std::wstring WindowsPath(const std::string& unix_path);

// A folder of the repository's tests/fixtures as a Windows path.
std::wstring FixturePath(const std::string& relative);

// Compares with `<folder>\expected\<name>.png`. Channels may differ a
// little (font rasterising), on few pixels; the message names the pixels
// that differ.
::testing::AssertionResult MatchesPicture(const ux::win::GdiImage& image, const std::string& name,
                                          const std::wstring& folder);

// The straight-alpha ARGB pixel at (x, y).
uint32_t PixelAt(const ux::win::GdiImage& image, int x, int y);

}  // namespace tw::test
