#include <gtest/gtest.h>

#include "app/firewall_win.h"
#include "platform/win/module_path_win.h"

namespace tw {
namespace {

// Wine's firewall objects accept an application and keep nothing, so this
// shows the whole COM road is walked and every interface released, not that
// Windows would keep the entry.
TEST(Firewall, AddAndRemoveWalkTheWholeRoad) {
  const std::wstring self = win::GetModulePath();
  const HRESULT added = AddFirewallException(self);
  const HRESULT removed = RemoveFirewallException(self);
  EXPECT_TRUE(SUCCEEDED(added)) << std::hex << added;
  EXPECT_TRUE(SUCCEEDED(removed)) << std::hex << removed;
}

}  // namespace
}  // namespace tw
