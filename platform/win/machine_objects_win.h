// Named kernel objects of the installer that only the machine's accounts
// may use (the kept-record store's mutex, the single-instance marker): any
// process of the signed-in user can take a name first, so the installer
// makes its objects with an access list of its own and believes an object
// it finds only when the machine's accounts own it.
#pragma once

#include <windows.h>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

// Creation attributes with the descriptor "O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)":
// SYSTEM and Administrators only, owned by Administrators.
class MachineOnlyAttributes {
 public:
  MachineOnlyAttributes() noexcept;
  MachineOnlyAttributes(const MachineOnlyAttributes&) = delete;
  MachineOnlyAttributes& operator=(const MachineOnlyAttributes&) = delete;
  // Null when the descriptor could not be made (the object then gets the default).
  SECURITY_ATTRIBUTES* Get() noexcept { return m_descriptor ? &m_attributes : nullptr; }

 private:
  UniqueLocalMemory m_descriptor;
  SECURITY_ATTRIBUTES m_attributes{};
};

// True when one of the machine's accounts (private_folder_win.h) owns the
// kernel object: a copy of the installer made it, not another account.
bool OwnedByMachineAccount(HANDLE object);

}  // namespace tw::win
