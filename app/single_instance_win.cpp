#include "app/single_instance_win.h"

#include <windows.h>

#include "platform/log.h"
#include "platform/win/machine_objects_win.h"

namespace tw {

SingleInstanceGuard::Result SingleInstanceGuard::Acquire() noexcept {
  // Only SYSTEM and Administrators may open the marker; Administrators own it.
  win::MachineOnlyAttributes attributes;
  m_mapping.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, attributes.Get(), PAGE_READWRITE, 0, 4, kMappingName));
  if (!m_mapping) return Result::kUnavailable;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    const bool ours = win::OwnedByMachineAccount(m_mapping.Get());
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
