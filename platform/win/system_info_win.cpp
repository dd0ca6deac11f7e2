#include <windows.h>

#include <memory>

#include "platform/win/registry_win.h"
#include "platform/win/file_version_info_win.h"
#include "platform/win/system_info_win.h"
#include "platform/win/proc_address_win.h"

namespace tw {
namespace {

using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using GetNativeSystemInfoFn = void(WINAPI*)(SYSTEM_INFO*);

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
  HMODULE handle = ::GetModuleHandleW(module);  // ntdll and kernel32 are always loaded
  return handle == nullptr ? nullptr : tw::win::GetProc<Fn>(handle, name);
}

OSVERSIONINFOEXW ReportedVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
    info = OSVERSIONINFOEXW{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info));
  }
  return info;
}

TrueVersion ReadTrueVersion() {
  TrueVersion version;
  if (auto numbers = Lookup<RtlGetNtVersionNumbersFn>(L"ntdll.dll", "RtlGetNtVersionNumbers")) {
    DWORD major = 0, minor = 0, build = 0;
    numbers(&major, &minor, &build);
    version = TrueVersion{major, minor, build & 0xFFFF};
    return version;
  }
  wchar_t system[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return version;
  CFileVersionInfo kernel;
  if (kernel.Create(std::wstring(system) + L"\\ntoskrnl.exe") && kernel.HasFixed()) {
    version.major = HIWORD(kernel.Fixed().dwFileVersionMS);
    version.minor = LOWORD(kernel.Fixed().dwFileVersionMS);
  }
  return version;
}

OsVersionNumbers ToNumbers(const OSVERSIONINFOEXW& info) {
  OsVersionNumbers numbers;
  numbers.platform = info.dwPlatformId == VER_PLATFORM_WIN32_NT        ? OsPlatform::kNt
                     : info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? OsPlatform::kWin9x
                                                                       : OsPlatform::kOther;
  numbers.major = info.dwMajorVersion;
  numbers.minor = info.dwMinorVersion;
  numbers.build = info.dwBuildNumber;
  numbers.workstation = info.wProductType == VER_NT_WORKSTATION;
  numbers.servicePackMajor = info.wServicePackMajor;
  return numbers;
}

ProcessorArchitecture FromSystemInfo(WORD architecture) {
  switch (architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL: return ProcessorArchitecture::kX86;
    case PROCESSOR_ARCHITECTURE_AMD64: return ProcessorArchitecture::kX64;
    case PROCESSOR_ARCHITECTURE_IA64: return ProcessorArchitecture::kIa64;
    case 12: return ProcessorArchitecture::kArm64;  // PROCESSOR_ARCHITECTURE_ARM64
    default: return ProcessorArchitecture::kUnknown;
  }
}

std::wstring ProductDirFrom(const wchar_t* subkey, const wchar_t* valueName) {
  const win::UniqueRegKey key = win::OpenRegKey(HKEY_LOCAL_MACHINE, subkey, KEY_READ, win::RegistryView::kView32);
  if (!key) return {};
  std::wstring dir = win::ReadRegString(key.Get(), valueName).value_or(std::wstring());
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
  return dir;
}

}  // namespace

int GetOsId() {
  // A race only computes the same value twice.
  static volatile LONG cached = -1;
  if (cached >= 0) return cached;
  const OSVERSIONINFOEXW info = ReportedVersion();
  const int id = OsIdFromVersion(ToNumbers(info), ReadTrueVersion());
  cached = id;
  return id;
}

int IsNative64() {
  static volatile LONG cached = -1;
  if (cached >= 0) return cached;
  SYSTEM_INFO info{};
  auto native = Lookup<GetNativeSystemInfoFn>(L"kernel32.dll", "GetNativeSystemInfo");
  if (native != nullptr) native(&info);
  const int result = (native != nullptr && IsNative64Architecture(info.wProcessorArchitecture)) ? 1 : 0;
  cached = result;
  return result;
}

int GetOsCode() { return OsCodeFromId(GetOsId(), IsNative64() != 0, ReportedVersion().wServicePackMajor); }

SystemVersion& SystemVersion::Instance() {
  static SystemVersion* volatile published = nullptr;
  if (published != nullptr) return *published;
  std::unique_ptr<SystemVersion> candidate(new SystemVersion());
  void* previous =
      ::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&published), candidate.get(), nullptr);
  // The winner is published for the life of the process; a loser's goes.
  if (previous == nullptr) (void)candidate.release();
  return *published;
}

SystemVersion::SystemVersion() {
  BOOL wow64 = FALSE;
  if (auto isWow64 = Lookup<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process")) {
    if (!isWow64(::GetCurrentProcess(), &wow64)) wow64 = FALSE;
  }
  m_is64 = wow64 != FALSE || sizeof(void*) == 8;  // a 64-bit process (the tests' 64-bit build) is on a 64-bit system

  SYSTEM_INFO system{};
  ::GetSystemInfo(&system);
  m_processor_count = system.dwNumberOfProcessors;
  if (auto native = Lookup<GetNativeSystemInfoFn>(L"kernel32.dll", "GetNativeSystemInfo")) native(&system);
  m_architecture = FromSystemInfo(system.wProcessorArchitecture);

  const OSVERSIONINFOEXW reported = ReportedVersion();
  m_major = reported.dwMajorVersion;
  m_minor = reported.dwMinorVersion;
  m_build = reported.dwBuildNumber;
  m_service_pack_major = reported.wServicePackMajor;
  m_service_pack_minor = reported.wServicePackMinor;
  m_version_class = InitialVersionClass(m_major, m_minor);
  if (m_version_class == 0 || m_version_class == 6) {
    if (auto rtlGetVersion = Lookup<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion")) {
      OSVERSIONINFOW actual{};
      actual.dwOSVersionInfoSize = sizeof actual;
      if (rtlGetVersion(&actual) == 0) {
        m_major = actual.dwMajorVersion;
        m_minor = actual.dwMinorVersion;
        m_build = actual.dwBuildNumber;
        m_version_class = RefinedVersionClass(m_major, m_minor, m_build);
      }
    }
  }

  USHORT processMachine = 0, nativeMachine = 0;
  if (m_version_class >= 1004 && m_version_class <= 9998) {
    if (auto isWow64Process2 = Lookup<IsWow64Process2Fn>(L"kernel32.dll", "IsWow64Process2")) {
      if (!isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine)) nativeMachine = 0;
    }
  }
  const Native64Decision decision = DecideNative64(m_version_class, m_is64, nativeMachine);
  m_is64 = decision.native64;
  if (decision.architecture != ProcessorArchitecture::kUnknown) m_architecture = decision.architecture;

  const auto view =
      m_architecture == ProcessorArchitecture::kX86 ? win::RegistryView::kDefault : win::RegistryView::kView64;
  const win::UniqueRegKey key =
      win::OpenRegKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", KEY_READ, view);
  if (key) m_update_build_revision = win::ReadRegDword(key.Get(), L"UBR").value_or(0);
}

HKEY ParseRegistryPath(const std::wstring& text, std::wstring& subkey) {
  const RegistryPath path = SplitRegistryPath(text);
  subkey = path.subkey;
  switch (path.root) {
    case RegistryRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::kCurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::kLocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::kUsers: return HKEY_USERS;
    case RegistryRoot::kPerformanceData: return HKEY_PERFORMANCE_DATA;
    case RegistryRoot::kPerformanceText: return HKEY_PERFORMANCE_TEXT;
    case RegistryRoot::kPerformanceNlsText: return HKEY_PERFORMANCE_NLSTEXT;
    case RegistryRoot::kCurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::kDynData: return HKEY_DYN_DATA;
    default: return nullptr;
  }
}

std::wstring GetProductDir() { return ProductDirFrom(L"software\\tarnwick\\antivirus", L"ProgramPath"); }

std::wstring GetDriverProductDir() { return ProductDirFrom(L"software\\Drivolux\\Drivolux", L"AppPath"); }

}  // namespace tw
