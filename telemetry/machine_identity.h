// The two identifiers that name this computer in every telemetry record:
// `idex` (random at first use, then kept) and `did` (an MD5 of the hardware
// description, computed at first use, then kept). Both live under
// HKEY_CLASSES_ROOT in the 32-bit view so every product of the family can
// read them. Nothing is cached: each call reads the registry again.
#pragma once

#include <string>

#include "telemetry/identity_rules.h"

namespace tw {

// Upper-case; made and stored lower-case with "idno" = "1" when absent;
// both values are written back on every call. Empty when nothing could be made.
std::wstring GetIdex();
// Upper-case as stored; made from the hardware description when absent.
std::wstring GetDid();
// The copy kept for the city lookup; when absent, a fresh identifier if
// `create` (not stored), else empty.
std::wstring GetLookupIdex(bool create);

// A new random identifier: 32 lower-case hexadecimal digits.
std::wstring MakeInstallSeed();

// The hardware description `did` hashes, each unreadable part replaced by
// its placeholder.
std::string ReadHardwareText();
HardwareParts ReadHardwareParts();

}  // namespace tw
