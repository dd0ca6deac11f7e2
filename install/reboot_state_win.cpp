#include "install/reboot_state.h"

#include <windows.h>

#include "platform/win/registry_win.h"

namespace tw {

bool IsRebootPending() { return win::RegKeyExists(HKEY_LOCAL_MACHINE, kRebootPendingKey, win::RegistryView::kDefault); }

bool IsRebootValueInRunOnce() {
  const win::UniqueRegKey key =
      win::OpenRegKey(HKEY_LOCAL_MACHINE, kRunOnceKey, KEY_QUERY_VALUE, win::RegistryView::kDefault);
  return key && win::RegValueExists(key.Get(), kRunOnceRebootValue);
}

}  // namespace tw
