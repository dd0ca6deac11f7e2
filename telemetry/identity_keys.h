// The class-registration keys under HKEY_CLASSES_ROOT where the product
// family keeps what it shares: the machine identifier (with the uninstall
// history beside it) and the device identifier (with the package and
// self-update caches beside it).
#pragma once

namespace tw {

constexpr const wchar_t* kIdexKey =
    L"CLSID\\{9B7A98EC-7EF9-468c-ACC8-37C793DBD7E0}\\Implemented Categories\\{A5F7140E-4311-4ef9-AABC-F55941B5EBE5}";
constexpr const wchar_t* kDidKey =
    L"CLSID\\{79B5BC47-CEA1-4772-B433-7D1B3139F278}\\Implemented Categories\\{607568DD-B059-434b-B7E7-38EC51998F8E}";

}  // namespace tw
