// COM lifetime helpers: an apartment for the length of one step, an owning
// interface pointer so every interface is released on every path, and the
// owners of what COM allocates (task memory, BSTRs).
#pragma once

#include <objbase.h>

#include <memory>
#include <utility>

namespace tw::win {

class ComApartment {
 public:
  // Single-threaded by default: the shell's dialogs and WMI's callers on a
  // window's thread need it; a worker may ask for COINIT_MULTITHREADED.
  explicit ComApartment(COINIT model = COINIT_APARTMENTTHREADED) noexcept
      : m_result(::CoInitializeEx(nullptr, model)) {}
  ~ComApartment() {
    if (SUCCEEDED(m_result)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT Result() const noexcept { return m_result; }

 private:
  HRESULT m_result;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  // Takes over a reference the caller was given (a factory's result).
  explicit ComPtr(T* adopted) noexcept : m_ptr(adopted) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      m_ptr = std::exchange(other.m_ptr, nullptr);
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const noexcept { return m_ptr; }
  T* operator->() const noexcept { return m_ptr; }
  explicit operator bool() const noexcept { return m_ptr != nullptr; }
  T** Put() noexcept {
    Reset();
    return &m_ptr;
  }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
  void Reset() noexcept {
    if (m_ptr != nullptr) std::exchange(m_ptr, nullptr)->Release();
  }

 private:
  T* m_ptr = nullptr;
};

struct CoTaskMemFreer {
  void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};
// Memory a COM or shell function allocated for the caller.
template <typename T>
using UniqueCoTaskMem = std::unique_ptr<T, CoTaskMemFreer>;

// A BSTR freed on every path.
class UniqueBstr {
 public:
  explicit UniqueBstr(const wchar_t* text) noexcept : m_bstr(::SysAllocString(text)) {}
  ~UniqueBstr() { ::SysFreeString(m_bstr); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  BSTR Get() const noexcept { return m_bstr; }

 private:
  BSTR m_bstr;
};

// The reference count of a COM object we implement (made with new, one
// reference for its maker): the object is deleted at its last release.
template <typename Self>
class ComReferenceCount {
 public:
  ULONG AddReference() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
  ULONG DropReference() noexcept {
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete static_cast<Self*>(this);
    return static_cast<ULONG>(left);
  }

 private:
  LONG m_refs = 1;
};

// A BSTR a COM call handed to the caller (an accessible name, a value).
struct BstrFreer {
  void operator()(wchar_t* text) const noexcept { ::SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<wchar_t, BstrFreer>;

}  // namespace tw::win
