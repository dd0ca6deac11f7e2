// The operating-system classifications that go into reports, as pure
// functions of version numbers so every Windows release can be checked on
// any machine. The readers that feed them live in system_info_win.cpp.
#pragma once

#include <cstdint>

namespace tw {

enum class OsPlatform { kWin9x, kNt, kOther };

struct OsVersionNumbers {
  OsPlatform platform = OsPlatform::kOther;
  unsigned major = 0;
  unsigned minor = 0;
  uint32_t build = 0;
  bool workstation = false;
  unsigned servicePackMajor = 0;
};

// The kernel's true version, read again for releases that GetVersionEx may
// understate: major, minor and the low 16 bits of the build.
struct TrueVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned build = 0;
};

int OsIdFromVersion(const OsVersionNumbers& reported, const TrueVersion& actual);
int OsCodeFromId(int osId, bool native64, unsigned servicePackMajor);

// SystemVersion's class: 1 XP, 2 Server 2003, 3 Vista, 4 Windows 7; for
// later releases 800/801/900 and 1000.. by Windows 10 build, else 9999.
int InitialVersionClass(unsigned major, unsigned minor);
int RefinedVersionClass(unsigned major, unsigned minor, unsigned build);

enum class ProcessorArchitecture : int { kX86 = 0, kX64 = 1, kIa64 = 2, kUnknown = 3, kArm64 = 4 };

struct Native64Decision {
  bool native64 = false;
  ProcessorArchitecture architecture = ProcessorArchitecture::kUnknown;
};

// From Windows 10 1709 on, the native machine (IsWow64Process2) decides;
// before, the answer of IsWow64Process stands. `nativeMachine` 0 = unknown.
Native64Decision DecideNative64(int versionClass, bool wow64Process, uint16_t nativeMachine);

// GetNativeSystemInfo's processor architecture codes that count as 64-bit: 6, 9 and 7.
bool IsNative64Architecture(unsigned processorArchitecture);

}  // namespace tw
