#include "survey/vm_detection.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <tlhelp32.h>
#include <cpuid.h>

#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "platform/win/unique_handle_win.h"
#include "survey/vm_rules.h"
#include "platform/win/file_version_info_win.h"
#include "platform/win/proc_address_win.h"

extern "C" void tw_vm_backdoor_in();  // the address of the probe's IN instruction

namespace anti_cheat {
namespace {

constexpr uint32_t kBackdoorMagic = 0x564D5868;  // "VMXh"
constexpr uint16_t kBackdoorPort = 0x5658;       // "VX"

thread_local bool t_probeFaulted = false;

// Outside a VMware guest the IN instruction faults; skip it and note the
// fault. Vectored handling is what really catches it with mingw, on Windows
// and under Wine alike.
LONG CALLBACK SkipFaultingProbe(EXCEPTION_POINTERS* exception) {
  CONTEXT* context = exception->ContextRecord;
#if defined(__x86_64__)
  DWORD64& instruction = context->Rip;  // the test programs' 64-bit build
#else
  DWORD& instruction = context->Eip;
#endif
  if (instruction != reinterpret_cast<uintptr_t>(&tw_vm_backdoor_in)) return EXCEPTION_CONTINUE_SEARCH;
  t_probeFaulted = true;
  instruction += 1;  // "in eax, dx" is one byte
  return EXCEPTION_CONTINUE_EXECUTION;
}

// The assembler's name of a C symbol: "_name" for 32-bit Windows, "name" for 64-bit.
#define TW_STRINGIFY_(x) #x
#define TW_STRINGIFY(x) TW_STRINGIFY_(x)
#define TW_ASM_SYMBOL(name) TW_STRINGIFY(__USER_LABEL_PREFIX__) #name

__attribute__((noinline, noclone)) bool BackdoorProbe() {
  PVOID handler = ::AddVectoredExceptionHandler(1, &SkipFaultingProbe);
  if (handler == nullptr) return false;
  t_probeFaulted = false;
  uint32_t eax = kBackdoorMagic, ebx = 0, ecx = 10, edx = kBackdoorPort;
  asm volatile(
      ".globl " TW_ASM_SYMBOL(tw_vm_backdoor_in) "\n" TW_ASM_SYMBOL(tw_vm_backdoor_in) ":\n\t"
      "inl %%dx, %%eax\n"
      : "+a"(eax), "+b"(ebx), "+c"(ecx), "+d"(edx)
      :
      : "memory");
  ::RemoveVectoredExceptionHandler(handler);
  return !t_probeFaulted && ebx == kBackdoorMagic;
}

bool CpuidVmware() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || (ecx & 0x80000000u) == 0) return false;
  __cpuid(0x40000000, eax, ebx, ecx, edx);
  return IsVmwareVendor(ebx, ecx, edx);
}

std::wstring WindowsDir() {
  wchar_t dir[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(dir, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(dir) + L"\\" : std::wstring();
}

bool AnyFileUnderWindows(std::initializer_list<const wchar_t*> files) {
  const std::wstring windows = WindowsDir();
  if (windows.empty()) return false;
  for (const wchar_t* file : files) {
    if (tw::win::FileExists(windows + file)) return true;
  }
  return false;
}

bool ProcessRunning(const wchar_t* name) {
  const tw::win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (tw::EqualsNoCase(entry.szExeFile, name)) return true;
  }
  return false;
}

bool KeyExists(const std::wstring& subkey) {
  return tw::win::RegKeyExists(HKEY_LOCAL_MACHINE, subkey, tw::win::RegistryView::kDefault);
}

// True at the first subkey name of HKLM\`subkey` that `matches` accepts.
bool AnySubkey(const wchar_t* subkey, const std::function<bool(std::wstring_view)>& matches) {
  const tw::win::UniqueRegKey key =
      tw::win::OpenRegKey(HKEY_LOCAL_MACHINE, subkey, KEY_ENUMERATE_SUB_KEYS, tw::win::RegistryView::kDefault);
  return key && tw::win::AnySubkeyName(key.Get(), matches);
}

bool RegistryValueContains(const wchar_t* subkey, const wchar_t* name, const wchar_t* needle) {
  const tw::win::UniqueRegKey key =
      tw::win::OpenRegKey(HKEY_LOCAL_MACHINE, subkey, KEY_QUERY_VALUE, tw::win::RegistryView::kDefault);
  if (!key) return false;
  const auto value = tw::win::ReadRegString(key.Get(), name);
  return value && RegistryTextContains(*value, needle);
}

bool QemuNetworkAdapter() {
  ULONG size = 0;
  if (::GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* adapters = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (::GetAdaptersInfo(adapters, &size) != ERROR_SUCCESS) return false;
  for (const IP_ADAPTER_INFO* adapter = adapters; adapter != nullptr; adapter = adapter->Next) {
    if (IsQemuHardwareAddress(adapter->Address, adapter->AddressLength)) return true;
  }
  return false;
}

bool FreezeDriver(const wchar_t* file, const wchar_t* product) {
  wchar_t expanded[MAX_PATH] = {};
  if (::ExpandEnvironmentStringsW(L"%Systemroot%\\system32\\drivers\\", expanded, MAX_PATH) == 0) return false;
  const std::wstring path = std::wstring(expanded) + file;
  const auto matches = [&] {
    tw::CFileVersionInfo info;
    return tw::win::FileExists(path) && info.Create(path) &&
           tw::EqualsNoCase(info.String(tw::CFileVersionInfo::kProductName), product);
  };
  if (matches()) return true;
  // A 32-bit process on 64-bit Windows sees SysWOW64 under system32: look again
  // without the redirection, for this thread only.
  using IsWow64Fn = BOOL(WINAPI*)(HANDLE, BOOL*);
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  using RevertFn = BOOL(WINAPI*)(PVOID);
  HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto isWow64 = tw::win::GetProc<IsWow64Fn>(kernel, "IsWow64Process");
  const auto disable = tw::win::GetProc<DisableFn>(kernel, "Wow64DisableWow64FsRedirection");
  const auto revert = tw::win::GetProc<RevertFn>(kernel, "Wow64RevertWow64FsRedirection");
  BOOL wow64 = FALSE;
  if (isWow64 == nullptr || disable == nullptr || revert == nullptr || !isWow64(::GetCurrentProcess(), &wow64) ||
      !wow64) {
    return false;
  }
  PVOID old = nullptr;
  if (!disable(&old)) return false;
  const bool found = matches();
  revert(old);
  return found;
}

}  // namespace

bool HypervisorTest() { return BackdoorProbe() || CpuidVmware(); }

bool VirtualBoxTest() {
  // Guest Additions put their library in the system directory; one beside
  // the installer or in the current directory says nothing, and loading it
  // would run it. Its presence is the answer.
  if (AnyFileUnderWindows({L"system32\\VBoxHook.dll"})) return true;
  const tw::win::UniqueFile device(::CreateFileW(L"\\\\.\\VBoxMiniRdrDN", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return device.IsValid();
}

bool VirtualPcTest() {
  if (ProcessRunning(L"vmusrvc.exe")) return true;
  if (AnyFileUnderWindows({L"system32\\DRIVERS\\vpcubus.sys", L"system32\\DRIVERS\\vpcgbus.sys",
                           L"system32\\DRIVERS\\vpc-s3.sys", L"System32\\vpc-s3.dll"})) {
    return true;
  }
  for (const wchar_t* service : {L"vpcuhub", L"vpcubus", L"vpc-s3", L"1-vmsrvc"}) {
    if (KeyExists(std::wstring(L"SYSTEM\\CurrentControlSet\\Services\\") + service)) return true;
  }
  return AnySubkey(L"SYSTEM\\CurrentControlSet\\Enum\\IDE", [](std::wstring_view name) {
    return name.size() >= 14 && tw::EqualsNoCase(name.substr(0, 14), L"DiskVirtual_HD");
  });
}

bool KvmTest() {
  return AnyFileUnderWindows({L"system32\\DRIVERS\\viostor.sys"}) ||
         RegistryValueContains(L"HARDWARE\\DESCRIPTION\\System\\BIOS", L"SystemProductName", L"KVM") ||
         RegistryValueContains(L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                               L"Virtual CPU") ||
         QemuNetworkAdapter();
}

bool CDetectVMFromPCI::Detect() const {
  return AnySubkey(L"SYSTEM\\CurrentControlSet\\Enum\\PCI", IsVirtualPciVendorKey);
}

bool PciVendorTest() { return CDetectVMFromPCI().Detect(); }

bool SandboxTest() { return ::GetModuleHandleW(L"SbieDll.dll") != nullptr; }

bool DeepFreezeTest() { return FreezeDriver(L"DeepFrz.sys", L"Deep Freeze"); }

bool YzIdiotTest() { return FreezeDriver(L"YzIdiot.sys", L"YzIdiot"); }

int IsVirtualMachine() {
  for (bool (*test)() : {HypervisorTest, VirtualBoxTest, VirtualPcTest, KvmTest, PciVendorTest, SandboxTest,
                         DeepFreezeTest, YzIdiotTest}) {
    if (test()) return 1;
  }
  return 0;
}

}  // namespace anti_cheat
