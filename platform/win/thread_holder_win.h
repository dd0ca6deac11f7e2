// A worker thread bound to one member function of its owner. Stopping first
// asks the work to end (it polls StopRequested, or its transfers are
// cancelled by their owner), waits a bounded time and only then terminates
// it, so a stuck worker can never keep the installer from exiting. A
// terminated thread may have died holding a lock (the heap's, the log's,
// libcurl's): after Terminated(), run nothing that could take one.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

template <typename Owner>
class ThreadHolder {
 public:
  using Work = void (Owner::*)();

  ThreadHolder() = default;
  ThreadHolder(const ThreadHolder&) = delete;
  ThreadHolder& operator=(const ThreadHolder&) = delete;
  ~ThreadHolder() { (void)Stop(1000); }

  [[nodiscard]] bool Start(Owner* owner, Work work) noexcept {
    if (m_thread) return false;
    m_stop = false;
    m_owner = owner;
    m_work = work;
    m_thread.Reset(::CreateThread(nullptr, 0, &ThreadHolder::Entry, this, 0, nullptr));
    return m_thread.IsValid();
  }

  // Asks the work to end and waits `waitMs`; true when the thread ended (or
  // none ran). A thread still running is left running: see Terminate.
  [[nodiscard]] bool StopGracefully(DWORD waitMs) noexcept {
    if (!m_thread) return true;
    m_stop = true;
    if (::WaitForSingleObject(m_thread.Get(), waitMs) != WAIT_OBJECT_0) return false;
    m_thread.Reset();
    return true;
  }

  // The last resort, after StopGracefully failed.
  void Terminate() noexcept {
    if (!m_thread) return;
    ::TerminateThread(m_thread.Get(), 1);
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    m_terminated = true;
  }

  // StopGracefully, then Terminate when the thread did not end in time.
  // Returns true when the thread ended by itself.
  [[nodiscard]] bool Stop(DWORD waitMs) noexcept {
    if (StopGracefully(waitMs)) return true;
    Terminate();
    return false;
  }

  bool StopRequested() const noexcept { return m_stop; }
  bool Terminated() const noexcept { return m_terminated; }
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
  std::atomic<bool> m_stop{false};
  bool m_terminated = false;
};

}  // namespace tw::win
