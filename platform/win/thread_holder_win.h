// A worker thread bound to one member function of its owner. Stopping waits
// a bounded time and then terminates, so a stuck worker can never keep the
// installer from exiting.
#pragma once

#include <windows.h>

#include "platform/win/unique_handle.h"

namespace tw::win {

template <typename Owner>
class ThreadHolder {
 public:
  using Work = void (Owner::*)();

  ThreadHolder() = default;
  ThreadHolder(const ThreadHolder&) = delete;
  ThreadHolder& operator=(const ThreadHolder&) = delete;
  ~ThreadHolder() { Stop(1000); }

  bool Start(Owner* owner, Work work) noexcept {
    if (m_thread) return false;
    m_owner = owner;
    m_work = work;
    m_thread.Reset(::CreateThread(nullptr, 0, &ThreadHolder::Entry, this, 0, nullptr));
    return m_thread.IsValid();
  }

  // Returns true when the thread ended by itself within `waitMs`.
  bool Stop(DWORD waitMs) noexcept {
    if (!m_thread) return true;
    const bool ended = ::WaitForSingleObject(m_thread.Get(), waitMs) == WAIT_OBJECT_0;
    if (!ended) ::TerminateThread(m_thread.Get(), 1);
    m_thread.Reset();
    return ended;
  }

  bool IsRunning() const noexcept { return m_thread.IsValid(); }

 private:
  static DWORD WINAPI Entry(void* self) {
    auto* holder = static_cast<ThreadHolder*>(self);
    (holder->m_owner->*holder->m_work)();
    return 0;
  }

  Owner* m_owner = nullptr;
  Work m_work = nullptr;
  UniqueHandleObject m_thread;
};

}  // namespace tw::win
