#include <gtest/gtest.h>

#include "survey/vm_rules.h"

namespace anti_cheat {
namespace {

uint32_t Reg(const char* four) {
  return static_cast<uint32_t>(four[0]) | (four[1] << 8) | (four[2] << 16) | (static_cast<uint32_t>(four[3]) << 24);
}

TEST(VmRules, VendorAddressRegistryAndPci) {
  EXPECT_TRUE(IsVmwareVendor(Reg("VMwa"), Reg("reVM"), Reg("ware")));
  EXPECT_TRUE(IsVmwareVendor(Reg("vmwa"), Reg("REvm"), Reg("WARE")));
  EXPECT_FALSE(IsVmwareVendor(Reg("KVMK"), Reg("VMKV"), Reg("M\0\0\0")));

  const uint8_t qemu[] = {0x52, 0x54, 0x00, 0x12, 0x34, 0x56};
  EXPECT_TRUE(IsQemuHardwareAddress(qemu, 6));
  EXPECT_FALSE(IsQemuHardwareAddress(qemu, 3)) << "more than 3 bytes";
  const uint8_t other[] = {0x00, 0x50, 0x56, 0x01};
  EXPECT_FALSE(IsQemuHardwareAddress(other, 4));

  EXPECT_TRUE(RegistryTextContains(L"Standard PC KVM", L"KVM"));
  EXPECT_FALSE(RegistryTextContains(L"kvm", L"KVM")) << "case-sensitive";
  EXPECT_FALSE(RegistryTextContains(std::wstring(40, L'x') + L"KVM", L"KVM")) << "longer than the 80-byte buffer";
  EXPECT_TRUE(RegistryTextContains(L"QEMU Virtual CPU version 2.5+", L"Virtual CPU"));

  EXPECT_TRUE(IsVirtualPciVendorKey(L"VEN_80EE&DEV_CAFE&SUBSYS_00000000&REV_00"));
  EXPECT_TRUE(IsVirtualPciVendorKey(L"ven_15ad&dev_0405"));
  EXPECT_TRUE(IsVirtualPciVendorKey(L"VEN_1AB8&DEV_4000"));
  EXPECT_FALSE(IsVirtualPciVendorKey(L"VEN_8086&DEV_1237"));
  EXPECT_FALSE(IsVirtualPciVendorKey(L"VEN_80E"));
}

}  // namespace
}  // namespace anti_cheat
