// Does the installer run in a virtual machine, a sandbox or on a
// disk-freeze system? Condition leaves ask it; the answer is computed afresh
// at every call and never fails: every test that cannot run counts as "no".
#pragma once

namespace anti_cheat {

// 1 when any of the eight tests finds something, else 0.
int IsVirtualMachine();

// The eight tests, in the order they run; each answers yes or no.
bool HypervisorTest();
bool VirtualBoxTest();
bool VirtualPcTest();
bool KvmTest();
bool PciVendorTest();  // CDetectVMFromPCI
bool SandboxTest();
bool DeepFreezeTest();
bool YzIdiotTest();

class CDetectVMFromPCI {
 public:
  CDetectVMFromPCI() = default;
  virtual ~CDetectVMFromPCI() = default;
  bool Detect() const;
};

}  // namespace anti_cheat
