#include "app/single_instance_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>

#include "platform/log.h"
#include "platform/win/private_folder_win.h"

namespace tw {
namespace {

// Only SYSTEM and Administrators may open the marker; Administrators own it.
constexpr wchar_t kMarkerSecurity[] = L"O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";

// True when the machine's accounts own the object: a copy of the installer
// made it, not a process of the user that took the name first.
bool OwnedByTheMachine(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const win::UniqueLocalMemory ownedDescriptor(descriptor);
  wchar_t* text = nullptr;
  if (owner == nullptr || !::ConvertSidToStringSidW(owner, &text)) return false;
  const win::UniqueLocalMemory ownedText(text);
  const auto& accounts = win::MachineAccounts();
  return std::find(accounts.begin(), accounts.end(), std::wstring(text)) != accounts.end();
}

}  // namespace

SingleInstanceGuard::Result SingleInstanceGuard::Acquire() noexcept {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  (void)::ConvertStringSecurityDescriptorToSecurityDescriptorW(kMarkerSecurity, SDDL_REVISION_1, &descriptor, nullptr);
  const win::UniqueLocalMemory owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  m_mapping.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, descriptor != nullptr ? &attributes : nullptr,
                                       PAGE_READWRITE, 0, 4, kMappingName));
  if (!m_mapping) return Result::kUnavailable;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    const bool ours = OwnedByTheMachine(m_mapping.Get());
    m_mapping.Reset();
    if (ours) return Result::kAlreadyRunning;
    // Another process of the user took the name first: it does not stop
    // the installer.
    LogWrite("SingleInstance: the marker was made by another account; carrying on");
    return Result::kUnavailable;
  }
  m_view.Reset(::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  return Result::kFirstInstance;
}

void SingleInstanceGuard::Release() noexcept {
  m_view.Reset();
  m_mapping.Reset();
}

}  // namespace tw
