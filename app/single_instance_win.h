// Keeps a second copy of the installer from running beside the first: a
// named 4-byte page-file mapping held from the check until exit.
#pragma once

#include "platform/win/unique_handle_win.h"

namespace tw {

class SingleInstanceGuard {
 public:
  static constexpr const wchar_t* kMappingName = L"twinstalltool_{0A3C83FD-7B1D-4c3f-8932-190BA6D25F90}";

  enum class Result {
    kFirstInstance,   // this process now holds the marker
    kAlreadyRunning,  // another process holds it: exit at once
    kUnavailable,     // the marker could not be created: carry on as first
  };

  [[nodiscard]] Result Acquire() noexcept;
  void Release() noexcept;

 private:
  win::UniqueHandleObject m_mapping;
  win::UniqueMappedView m_view;
};

}  // namespace tw
