// What the reports and condition checks need to know about this Windows:
// the OS id and code, whether the system is 64-bit (which registry view a
// check must read) and the product directories of installed suites.
#pragma once

#include <windows.h>

#include <string>

#include "platform/os_version.h"
#include "platform/registry_path.h"

namespace tw {

int GetOsId();     // computed once per process
int GetOsCode();   // the OS id split by 32/64-bit and XP service pack
int IsNative64();  // 1 on a 64-bit Windows, computed once

class SystemVersion {
 public:
  static SystemVersion& Instance();  // created on first use, never destroyed

  int VersionClass() const { return m_version_class; }
  unsigned Major() const { return m_major; }
  unsigned Minor() const { return m_minor; }
  unsigned Build() const { return m_build; }
  unsigned ServicePackMajor() const { return m_service_pack_major; }
  unsigned ServicePackMinor() const { return m_service_pack_minor; }
  ProcessorArchitecture Architecture() const { return m_architecture; }
  unsigned ProcessorCount() const { return m_processor_count; }
  bool Is64() const { return m_is64; }
  DWORD UpdateBuildRevision() const { return m_update_build_revision; }

 private:
  SystemVersion();

  int m_version_class = 0;
  unsigned m_major = 0, m_minor = 0, m_build = 0;
  unsigned m_service_pack_major = 0, m_service_pack_minor = 0;
  ProcessorArchitecture m_architecture = ProcessorArchitecture::kUnknown;
  unsigned m_processor_count = 0;
  bool m_is64 = false;
  DWORD m_update_build_revision = 0;
};

// "HKEY_LOCAL_MACHINE\SOFTWARE\x" -> HKEY_LOCAL_MACHINE and "SOFTWARE\x";
// an unknown root gives null.
HKEY ParseRegistryPath(const std::wstring& text, std::wstring& subkey);

// Install directories of the suite and of Drivolux, with a trailing
// separator, or empty when not installed.
std::wstring GetProductDir();
std::wstring GetDriverProductDir();

}  // namespace tw
