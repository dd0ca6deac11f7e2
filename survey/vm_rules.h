// The text and byte rules of the virtual-machine test, apart from the
// processor, the registry and the devices that feed them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace anti_cheat {

// CPUID 0x40000000's vendor text (EBX, ECX, EDX) is VMware's, in any case.
bool IsVmwareVendor(uint32_t ebx, uint32_t ecx, uint32_t edx);
// QEMU/KVM network adapters: more than 3 bytes, starting 52 54 00.
bool IsQemuHardwareAddress(const uint8_t* address, size_t length);
// A registry text read into an 80-byte buffer holding `needle` (case-sensitive);
// a longer value counts as not matching.
bool RegistryTextContains(std::wstring_view value, std::wstring_view needle);
// "VEN_15AD", "VEN_80EE", "VEN_1AB8": VMware, VirtualBox, Parallels.
bool IsVirtualPciVendorKey(std::wstring_view keyName);

}  // namespace anti_cheat
