// Owning wrappers for Win32 handles: every handle is closed on every path,
// from the moment it is opened.
#pragma once

#include <windows.h>

#include <utility>

namespace tw::win {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type handle) noexcept : m_handle(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Type Get() const noexcept { return m_handle; }
  bool IsValid() const noexcept { return m_handle != Traits::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }

  Type Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }
  void Reset(Type handle = Traits::Invalid()) noexcept {
    if (IsValid()) Traits::Close(m_handle);
    m_handle = handle;
  }
  // For out-parameters: closes the current handle and hands out its slot.
  Type* Put() noexcept {
    Reset();
    return &m_handle;
  }

 private:
  Type m_handle = Traits::Invalid();
};

// Traits of a handle type whose invalid value is null and which one
// function gives back.
template <typename T, auto CloseFunction>
struct NullInvalidTraits {
  using Type = T;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { CloseFunction(h); }
};

// The same for the handles whose invalid value is INVALID_HANDLE_VALUE.
template <auto CloseFunction>
struct InvalidValueTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseFunction(h); }
};

using UniqueHandleObject = UniqueHandle<NullInvalidTraits<HANDLE, &::CloseHandle>>;
using UniqueFile = UniqueHandle<InvalidValueTraits<&::CloseHandle>>;
using UniqueRegKey = UniqueHandle<NullInvalidTraits<HKEY, &::RegCloseKey>>;
using UniqueLibrary = UniqueHandle<NullInvalidTraits<HMODULE, &::FreeLibrary>>;
using UniqueMappedView = UniqueHandle<NullInvalidTraits<void*, &::UnmapViewOfFile>>;
// A FindFirstFile search.
using UniqueFind = UniqueHandle<InvalidValueTraits<&::FindClose>>;
// Memory the system allocated with LocalAlloc for the caller.
using UniqueLocalMemory = UniqueHandle<NullInvalidTraits<HLOCAL, &::LocalFree>>;

}  // namespace tw::win
