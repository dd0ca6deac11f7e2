// Controls are referred to by handle, never by pointer, wherever they may be
// gone by the time someone looks (hover memory, parent links, notifications):
// a destroyed control's handle resolves to nothing. Handles come from one
// process-wide counter and are never reused. The image-button groups live
// under the same lock because they are keyed the same process-wide way.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tw::ux {

class CUxWindow;
using UxHandle = uint32_t;

class UxHandleRegistry {
 public:
  static UxHandleRegistry& Instance();

  UxHandle Register(CUxWindow* control);
  void Unregister(UxHandle handle);
  CUxWindow* Find(UxHandle handle) const;

  void JoinGroup(const std::string& group, UxHandle handle);
  void LeaveGroups(UxHandle handle);
  std::vector<UxHandle> GroupMembers(const std::string& group) const;

 private:
  mutable std::mutex m_lock;
  UxHandle m_last = 0;
  std::map<UxHandle, CUxWindow*> m_controls;
  std::map<std::string, std::vector<UxHandle>> m_groups;
};

}  // namespace tw::ux
