#include "app/single_instance_win.h"

#include <windows.h>

namespace tw {

SingleInstanceGuard::Result SingleInstanceGuard::Acquire() noexcept {
  m_mapping.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, kMappingName));
  if (!m_mapping) return Result::kUnavailable;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    m_mapping.Reset();
    return Result::kAlreadyRunning;
  }
  m_view.Reset(::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  return Result::kFirstInstance;
}

void SingleInstanceGuard::Release() noexcept {
  m_view.Reset();
  m_mapping.Reset();
}

}  // namespace tw
