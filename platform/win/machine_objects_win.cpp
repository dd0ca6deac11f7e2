#include "platform/win/machine_objects_win.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>

#include "platform/win/private_folder_win.h"

namespace tw::win {
namespace {

constexpr wchar_t kMachineOnly[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";

}  // namespace

MachineOnlyAttributes::MachineOnlyAttributes() noexcept {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kMachineOnly, SDDL_REVISION_1, &descriptor, nullptr)) {
    return;
  }
  m_descriptor.Reset(descriptor);
  m_attributes = SECURITY_ATTRIBUTES{sizeof m_attributes, descriptor, FALSE};
}

bool OwnedByMachineAccount(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueLocalMemory ownedDescriptor(descriptor);
  wchar_t* text = nullptr;
  if (owner == nullptr || !::ConvertSidToStringSidW(owner, &text)) return false;
  const UniqueLocalMemory ownedText(text);
  const auto& accounts = MachineAccounts();
  return std::find(accounts.begin(), accounts.end(), std::wstring(text)) != accounts.end();
}

}  // namespace tw::win
