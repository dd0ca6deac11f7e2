// The virtual-machine tests in the Wine prefix: each runs to an answer
// (the I/O probe's fault is caught), and planted evidence is found.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "survey/vm_detection.h"
#include "tests/win/test_support_win.h"

namespace anti_cheat {
namespace {

constexpr wchar_t kPciKey[] = L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_80EE&DEV_CAFE&SUBSYS_00000000&REV_00";
constexpr wchar_t kVpcService[] = L"SYSTEM\\CurrentControlSet\\Services\\vpc-s3";

TEST(VmDetection, EveryTestAnswersUnderWine) {
  // What this machine says is recorded, not asserted: the host itself may be
  // a virtual machine that Wine passes through (CPUID, processor name, MAC).
  RecordProperty("hypervisor", HypervisorTest());
  RecordProperty("virtualbox", VirtualBoxTest());
  RecordProperty("virtualpc", VirtualPcTest());
  RecordProperty("kvm", KvmTest());
  RecordProperty("pci", PciVendorTest());
  RecordProperty("sandbox", SandboxTest());
  RecordProperty("deepfreeze", DeepFreezeTest());
  RecordProperty("yzidiot", YzIdiotTest());
  // The verdict is exactly "any of the eight tests found one", whatever the
  // machine under the prefix is.
  const bool any = HypervisorTest() || VirtualBoxTest() || VirtualPcTest() || KvmTest() || PciVendorTest() ||
                   SandboxTest() || DeepFreezeTest() || YzIdiotTest();
  EXPECT_EQ(IsVirtualMachine(), any ? 1 : 0);
  EXPECT_FALSE(SandboxTest());
  EXPECT_FALSE(DeepFreezeTest());
  EXPECT_FALSE(YzIdiotTest());
}

TEST(VmDetection, AVirtualBoxPciDeviceIsEnough) {
  ASSERT_TRUE(tw::test::CreateRegKey(HKEY_LOCAL_MACHINE, kPciKey));
  EXPECT_TRUE(CDetectVMFromPCI().Detect());
  EXPECT_EQ(IsVirtualMachine(), 1);
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPciKey);
  EXPECT_FALSE(PciVendorTest());
}

TEST(VmDetection, AVirtualPcServiceKey) {
  const bool before = VirtualPcTest();
  ASSERT_TRUE(tw::test::CreateRegKey(HKEY_LOCAL_MACHINE, kVpcService));
  EXPECT_TRUE(VirtualPcTest());
  ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVpcService);
  EXPECT_EQ(VirtualPcTest(), before);
}

TEST(VmDetection, TheSandboxLibraryInThisProcess) {
  tw::test::ScratchDir dir;
  const std::wstring library = dir.Path() + L"SbieDll.dll";
  ASSERT_TRUE(::CopyFileW((tw::test::ProgramDir() + L"version_sample.dll").c_str(), library.c_str(), FALSE));
  {
    const tw::win::UniqueLibrary module(::LoadLibraryW(library.c_str()));
    ASSERT_TRUE(module);
    EXPECT_TRUE(SandboxTest());
    EXPECT_EQ(IsVirtualMachine(), 1);
  }
  EXPECT_FALSE(SandboxTest());
}

// A Downloads folder collects files: a VirtualBox library planted beside the
// installer or in the current directory is neither loaded nor believed.
TEST(VmDetection, AVirtualBoxLibraryBesideTheProgramSaysNothing) {
  const bool before = VirtualBoxTest();
  tw::test::ScratchDir current;
  const std::wstring sample = tw::test::ProgramDir() + L"version_sample.dll";
  const std::wstring beside = tw::test::ProgramDir() + L"VBoxHook.dll";
  ASSERT_TRUE(::CopyFileW(sample.c_str(), beside.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(sample.c_str(), (current.Path() + L"VBoxHook.dll").c_str(), FALSE));
  wchar_t previous[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ::SetCurrentDirectoryW(current.Path().c_str());
  EXPECT_EQ(VirtualBoxTest(), before);
  EXPECT_EQ(::GetModuleHandleW(L"VBoxHook.dll"), nullptr) << "nothing planted was loaded";
  ::SetCurrentDirectoryW(previous);
  ::DeleteFileW(beside.c_str());
}

}  // namespace
}  // namespace anti_cheat
