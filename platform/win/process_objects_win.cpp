#include "platform/win/process_objects_win.h"
#include "platform/win/proc_address_win.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace tw::win {
namespace {

// SystemHandleInformation's layout (information class 16).
struct HandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT handle;
  PVOID object;
  ACCESS_MASK grantedAccess;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
// The kernel's layout on either build (16 bytes an entry on 32-bit Windows,
// 24 on 64-bit): a mismatch would read every entry after the first askew.
static_assert(offsetof(HandleEntry, object) == 8 && sizeof(HandleEntry) == 8 + 2 * sizeof(void*));
static_assert(offsetof(HandleTable, entries) == sizeof(void*));
using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

unsigned long CountFromSystemTable() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const auto query = ntdll ? tw::win::GetProc<QuerySystemInformation>(ntdll, "NtQuerySystemInformation") : nullptr;
  if (query == nullptr) return 0;
  std::vector<char> buffer(256 * 1024);
  LONG status = 0;
  // The table grows between calls; a bounded number of doublings.
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status != kInfoLengthMismatch) break;
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return 0;
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  const size_t fits = (buffer.size() - offsetof(HandleTable, entries)) / sizeof(HandleEntry);
  // The table names processes by 16-bit identifiers.
  const auto self = static_cast<USHORT>(::GetCurrentProcessId());
  unsigned long mine = 0;
  for (ULONG i = 0; i < table->count && i < fits; ++i) {
    if (table->entries[i].processId == self) ++mine;
  }
  return mine;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<unsigned long*>(count);
  return TRUE;
}

BOOL CALLBACK CountIfOwn(HWND window, LPARAM count) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (process == ::GetCurrentProcessId()) {
    ++*reinterpret_cast<unsigned long*>(count);
    ::EnumChildWindows(window, CountChild, count);
  }
  return TRUE;
}

}  // namespace

unsigned long CountOwnHandles() {
  DWORD handles = 0;
  if (::GetProcessHandleCount(::GetCurrentProcess(), &handles) && handles != 0) return handles;
  return CountFromSystemTable();
}

unsigned long CountOwnWindows() {
  unsigned long count = 0;
  ::EnumWindows(CountIfOwn, reinterpret_cast<LPARAM>(&count));
  // Message-only windows are not top-level windows EnumWindows sees.
  for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
    CountIfOwn(window, reinterpret_cast<LPARAM>(&count));
  }
  return count;
}

}  // namespace tw::win
