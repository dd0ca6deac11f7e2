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

struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::RegCloseKey(h); }
};

struct LibraryTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::FreeLibrary(h); }
};

struct MappedViewTraits {
  using Type = void*;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type view) noexcept { ::UnmapViewOfFile(view); }
};

struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { ::FindClose(h); }
};

struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type memory) noexcept { ::LocalFree(memory); }
};

using UniqueHandleObject = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueLibrary = UniqueHandle<LibraryTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
// A FindFirstFile search.
using UniqueFind = UniqueHandle<FindTraits>;
// Memory the system allocated with LocalAlloc for the caller.
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

}  // namespace tw::win
