#include "telemetry/anti_cheat.h"

#include <windows.h>
#include <psapi.h>

#include <cstddef>

#include "platform/tw_md5.h"
#include "platform/text.h"
#include "platform/win/file_system_win.h"
#include "platform/win/process_image_win.h"
#include "platform/win/unique_handle_win.h"
#include "platform/win/proc_address_win.h"

namespace TwInstallTool {
namespace {

struct BasicInformation {  // PROCESS_BASIC_INFORMATION
  LONG exitStatus;
  void* pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR inheritedFromUniqueProcessId;
};
// The kernel's layout on either build: 24 bytes on 32-bit Windows, 48 on 64-bit.
static_assert(sizeof(BasicInformation) == 6 * sizeof(void*));
static_assert(offsetof(BasicInformation, inheritedFromUniqueProcessId) == 5 * sizeof(void*));
using QueryInformationProcessFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

bool NeverOpened(DWORD id) { return id == 0 || id == 4 || id == 8; }

DWORD ParentOf(QueryInformationProcessFn query, DWORD id) {
  if (query == nullptr || NeverOpened(id)) return 0;
  const tw::win::UniqueHandleObject process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) return 0;
  BasicInformation information{};
  if (query(process.Get(), 0, &information, sizeof information, nullptr) != 0) return 0;
  return static_cast<DWORD>(information.inheritedFromUniqueProcessId);
}

}  // namespace

void TwAntiCheatMgr::Collect(unsigned long processId) {
  const auto query =
      tw::win::GetProc<QueryInformationProcessFn>(::GetModuleHandleW(L"ntdll.dll"), "ZwQueryInformationProcess");
  DWORD id = processId != 0 ? processId : ::GetCurrentProcessId();
  for (int level = 0; level < 3; ++level) {
    const DWORD parent = ParentOf(query, id);
    if (NeverOpened(parent)) return;
    const std::wstring path = tw::win::ProcessExecutablePath(parent);
    if (path.empty() || !tw::win::FileExists(path)) return;
    tw::TwMD5 md5;
    const uint8_t* digest = md5.GetFileDigest(path);
    if (digest == nullptr) return;
    uint8_t copy[tw::kMd5Size];
    std::copy(digest, digest + tw::kMd5Size, copy);
    const std::string hex = tw::Md5Hex(copy, true);
    directories[level] = path.substr(0, path.find_last_of(L'\\') + 1);
    md5s[level] = std::wstring(hex.begin(), hex.end());
    id = parent;
  }
}

}  // namespace TwInstallTool
