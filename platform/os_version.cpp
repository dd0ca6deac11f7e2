#include "platform/os_version.h"

namespace tw {

int OsIdFromVersion(const OsVersionNumbers& v, const TrueVersion& actual) {
  if (v.platform == OsPlatform::kWin9x) return ((v.build >> 16) & 0xFFFF) < 0x045A ? 1 : 2;
  if (v.platform != OsPlatform::kNt) return 0;
  if (v.major <= 4) return 4;
  if (v.major == 5) {
    if (v.minor == 0) return 3;
    if (v.minor == 1) return 6;
    if (v.minor == 2) return 5;
    return 0;
  }
  if (v.major == 6 && v.minor <= 1) {
    if (!v.workstation) return 9;
    return v.minor == 0 ? 7 : 8;
  }
  if (!v.workstation) return 0;
  if (actual.major == 6 && actual.minor == 3) return 11;
  if (actual.major == 6 && actual.minor == 4) return 12;
  if (actual.major == 10 && actual.minor == 0) return actual.build <= 21995 ? 12 : 13;
  return 10;
}

int OsCodeFromId(int osId, bool native64, unsigned servicePackMajor) {
  switch (osId) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: return osId;
    case 6:
      if (native64) return servicePackMajor > 2 ? 8 : 7;
      return servicePackMajor > 2 ? 28 : 27;
    case 7: return native64 ? 10 : 9;
    case 8: return native64 ? 12 : 11;
    case 9: return native64 ? 14 : 13;
    case 10: return native64 ? 16 : 15;
    case 11: return native64 ? 18 : 17;
    case 12: return native64 ? 20 : 19;
    default: return 0;
  }
}

int InitialVersionClass(unsigned major, unsigned minor) {
  if (major == 5 && minor == 1) return 1;
  if (major == 5 && minor >= 2) return 2;
  if (major == 6 && minor == 0) return 3;
  if (major == 6 && minor == 1) return 4;
  if (major > 6) return 6;
  return 0;
}

int RefinedVersionClass(unsigned major, unsigned minor, unsigned build) {
  if (major == 6 && minor == 2) return 800;
  if (major == 6 && minor == 3) return 801;
  if (major == 6 && minor == 4) return 900;
  if (major == 10) {
    static const struct {
      unsigned build;
      int versionClass;
    } kWindows10[] = {
        {10240, 1000}, {10586, 1001}, {14393, 1002}, {15063, 1003}, {16299, 1004}, {17134, 1005},
        {17763, 1006}, {18362, 1007}, {18363, 1008}, {19041, 1009}, {19042, 1010},
    };
    for (const auto& known : kWindows10) {
      if (known.build == build) return known.versionClass;
    }
  }
  return 9999;
}

Native64Decision DecideNative64(int versionClass, bool wow64Process, uint16_t nativeMachine) {
  Native64Decision decision;
  decision.native64 = wow64Process;
  if (versionClass < 1004 || versionClass > 9998) return decision;
  switch (nativeMachine) {
    case 0x014C: decision = {false, ProcessorArchitecture::kX86}; break;
    case 0x0200: decision = {true, ProcessorArchitecture::kIa64}; break;
    case 0x8664: decision = {true, ProcessorArchitecture::kX64}; break;
    case 0xAA64: decision = {true, ProcessorArchitecture::kArm64}; break;
    default: break;
  }
  return decision;
}

bool IsNative64Architecture(unsigned processorArchitecture) {
  return processorArchitecture == 6 || processorArchitecture == 9 || processorArchitecture == 7;
}

}  // namespace tw
