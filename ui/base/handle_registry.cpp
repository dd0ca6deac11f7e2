#include "ui/base/handle_registry.h"

#include <algorithm>

namespace tw::ux {

UxHandleRegistry& UxHandleRegistry::Instance() {
  static UxHandleRegistry instance;
  return instance;
}

UxHandle UxHandleRegistry::Register(CUxWindow* control) {
  std::lock_guard<std::mutex> hold(m_lock);
  const UxHandle handle = ++m_last;
  m_controls.emplace(handle, control);
  return handle;
}

void UxHandleRegistry::Unregister(UxHandle handle) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_controls.erase(handle);
  for (auto& group : m_groups) {
    auto& members = group.second;
    members.erase(std::remove(members.begin(), members.end(), handle), members.end());
  }
}

CUxWindow* UxHandleRegistry::Find(UxHandle handle) const {
  std::lock_guard<std::mutex> hold(m_lock);
  auto found = m_controls.find(handle);
  return found == m_controls.end() ? nullptr : found->second;
}

void UxHandleRegistry::JoinGroup(const std::string& group, UxHandle handle) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_groups[group].push_back(handle);
}

void UxHandleRegistry::LeaveGroups(UxHandle handle) {
  std::lock_guard<std::mutex> hold(m_lock);
  for (auto& group : m_groups) {
    auto& members = group.second;
    members.erase(std::remove(members.begin(), members.end(), handle), members.end());
  }
}

std::vector<UxHandle> UxHandleRegistry::GroupMembers(const std::string& group) const {
  std::lock_guard<std::mutex> hold(m_lock);
  auto found = m_groups.find(group);
  return found == m_groups.end() ? std::vector<UxHandle>() : found->second;
}

}  // namespace tw::ux
