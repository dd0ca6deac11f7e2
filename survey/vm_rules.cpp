#include "survey/vm_rules.h"

#include "platform/text.h"

namespace anti_cheat {

bool IsVmwareVendor(uint32_t ebx, uint32_t ecx, uint32_t edx) {
  std::wstring vendor;
  for (uint32_t reg : {ebx, ecx, edx}) {
    for (int i = 0; i < 4; ++i) vendor.push_back(static_cast<wchar_t>((reg >> (8 * i)) & 0xFF));
  }
  return tw::EqualsNoCase(vendor, L"VMwareVMware");
}

bool IsQemuHardwareAddress(const uint8_t* address, size_t length) {
  return address != nullptr && length > 3 && address[0] == 0x52 && address[1] == 0x54 && address[2] == 0x00;
}

bool RegistryTextContains(std::wstring_view value, std::wstring_view needle) {
  constexpr size_t kBufferChars = 80 / sizeof(uint16_t);  // 80 bytes of UTF-16, terminator included
  if (value.size() + 1 > kBufferChars) return false;
  return value.find(needle) != std::wstring_view::npos;
}

bool IsVirtualPciVendorKey(std::wstring_view keyName) {
  for (const wchar_t* vendor : {L"15AD", L"80EE", L"1AB8"}) {
    const std::wstring prefix = std::wstring(L"VEN_") + vendor;
    if (keyName.size() >= prefix.size() && tw::EqualsNoCase(keyName.substr(0, prefix.size()), prefix)) return true;
  }
  return false;
}

}  // namespace anti_cheat
