#include <gtest/gtest.h>

#include "tests/ui/ui_test_support_win.h"

namespace tw::ux::test {

std::wstring FixtureFolder() { return tw::test::FixturePath("ui"); }

void UseTestResources() { win::UseRenderResources(FixtureFolder()); }

}  // namespace tw::ux::test
