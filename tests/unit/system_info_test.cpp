#include <gtest/gtest.h>

#include "platform/os_version.h"
#include "platform/registry_path.h"
#include "platform/version_translation.h"

namespace tw {
namespace {

OsVersionNumbers Nt(unsigned major, unsigned minor, bool workstation = true, unsigned sp = 0) {
  return OsVersionNumbers{OsPlatform::kNt, major, minor, 0, workstation, sp};
}

TEST(OsId, EveryRelease) {
  struct Case {
    OsVersionNumbers reported;
    TrueVersion actual;
    int id;
  } cases[] = {
      {{OsPlatform::kWin9x, 4, 10, 0x040A0000u, false, 0}, {}, 1},  // 98
      {{OsPlatform::kWin9x, 4, 90, 0x045A0000u, false, 0}, {}, 2},  // ME
      {Nt(4, 0), {}, 4},
      {Nt(5, 0), {}, 3},
      {Nt(5, 1), {}, 6},
      {Nt(5, 2, false), {}, 5},
      {Nt(6, 0), {}, 7},
      {Nt(6, 1), {}, 8},
      {Nt(6, 1, false), {}, 9},
      {Nt(6, 2), {6, 2, 9200}, 10},
      {Nt(6, 2), {6, 3, 9600}, 11},  // GetVersionEx understates 8.1
      {Nt(6, 2), {10, 0, 19045}, 12},
      {Nt(10, 0), {10, 0, 21995}, 12},
      {Nt(10, 0), {10, 0, 22000}, 13},  // Windows 11
      {Nt(10, 0, false), {10, 0, 20348}, 0},
      {{OsPlatform::kOther, 0, 0, 0, false, 0}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(OsIdFromVersion(c.reported, c.actual), c.id);
  }
}

TEST(OsCode, SplitsBy64BitAndServicePack) {
  EXPECT_EQ(OsCodeFromId(6, false, 3), 28);  // 32-bit XP SP3
  EXPECT_EQ(OsCodeFromId(6, true, 2), 7);    // 64-bit XP SP2
  EXPECT_EQ(OsCodeFromId(6, false, 2), 27);
  EXPECT_EQ(OsCodeFromId(6, true, 3), 8);
  for (int id = 1; id <= 5; ++id) EXPECT_EQ(OsCodeFromId(id, true, 0), id);
  const int pairs[][3] = {{7, 9, 10}, {8, 11, 12}, {9, 13, 14}, {10, 15, 16}, {11, 17, 18}, {12, 19, 20}};
  for (const auto& p : pairs) {
    EXPECT_EQ(OsCodeFromId(p[0], false, 0), p[1]);
    EXPECT_EQ(OsCodeFromId(p[0], true, 0), p[2]);
  }
  EXPECT_EQ(OsCodeFromId(13, true, 0), 0);  // Windows 11 has no code
  EXPECT_EQ(OsCodeFromId(0, false, 0), 0);
}

TEST(SystemVersionClass, FromVersionNumbers) {
  EXPECT_EQ(InitialVersionClass(5, 1), 1);
  EXPECT_EQ(InitialVersionClass(5, 2), 2);
  EXPECT_EQ(InitialVersionClass(6, 0), 3);
  EXPECT_EQ(InitialVersionClass(6, 1), 4);
  EXPECT_EQ(InitialVersionClass(6, 2), 0);
  EXPECT_EQ(InitialVersionClass(10, 0), 6);
  EXPECT_EQ(RefinedVersionClass(6, 2, 9200), 800);
  EXPECT_EQ(RefinedVersionClass(6, 3, 9600), 801);
  EXPECT_EQ(RefinedVersionClass(6, 4, 9841), 900);
  EXPECT_EQ(RefinedVersionClass(10, 0, 10240), 1000);
  EXPECT_EQ(RefinedVersionClass(10, 0, 16299), 1004);
  EXPECT_EQ(RefinedVersionClass(10, 0, 19042), 1010);
  EXPECT_EQ(RefinedVersionClass(10, 0, 19043), 9999);
  EXPECT_EQ(RefinedVersionClass(10, 0, 22631), 9999);
}

TEST(SystemVersionClass, NativeMachineDecidesFrom1709On) {
  const int build19041 = RefinedVersionClass(10, 0, 19041);
  const int build19043 = RefinedVersionClass(10, 0, 19043);
  EXPECT_TRUE(DecideNative64(build19041, false, 0x8664).native64);
  EXPECT_EQ(DecideNative64(build19041, false, 0x8664).architecture, ProcessorArchitecture::kX64);
  EXPECT_FALSE(DecideNative64(build19043, false, 0x8664).native64) << "9999 keeps IsWow64Process's answer";
  EXPECT_TRUE(DecideNative64(build19043, true, 0).native64);
  EXPECT_FALSE(DecideNative64(build19041, true, 0x014C).native64);
  EXPECT_EQ(DecideNative64(build19041, false, 0xAA64).architecture, ProcessorArchitecture::kArm64);
  EXPECT_EQ(DecideNative64(build19041, false, 0x0200).architecture, ProcessorArchitecture::kIa64);
  EXPECT_TRUE(DecideNative64(1003, true, 0x014C).native64) << "before 1709 the native machine is not asked";
  EXPECT_TRUE(IsNative64Architecture(9));
  EXPECT_TRUE(IsNative64Architecture(6));
  EXPECT_FALSE(IsNative64Architecture(0));
}

TEST(ChooseTranslation, PrefersTheUsersLanguage) {
  const uint16_t chinese = 0x0804;
  EXPECT_EQ(ChooseTranslation({{0x0409, 0x04B0}}, chinese), 0u);  // the only one
  EXPECT_EQ(ChooseTranslation({{0x0409, 0x04B0}, {0x0804, 0x04B0}}, chinese), 1u);
  EXPECT_EQ(ChooseTranslation({{0x0409, 0x04B0}, {0x0404, 0x04B0}}, chinese), 1u);  // same low byte
  EXPECT_EQ(ChooseTranslation({{0x0407, 0x04B0}, {0x0000, 0x04B0}}, chinese), 1u);  // neutral
  EXPECT_EQ(ChooseTranslation({{0x0407, 0x04B0}, {0x0809, 0x04B0}}, chinese), 1u);  // English
  EXPECT_EQ(ChooseTranslation({{0x0407, 0x04B0}, {0x040C, 0x04B0}}, chinese), 0u);
  EXPECT_EQ(ChooseTranslation({}, chinese), 0u);
}

TEST(SplitRegistryPath, RootsAndSubkeys) {
  struct Case {
    const wchar_t* text;
    RegistryRoot root;
    const wchar_t* subkey;
  } cases[] = {
      {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\tarnwick\\Antivirus", RegistryRoot::kLocalMachine,
       L"SOFTWARE\\tarnwick\\Antivirus"},
      {L"hkey_classes_root\\CLSID", RegistryRoot::kClassesRoot, L"CLSID"},
      {L"HKEY_USERS", RegistryRoot::kUsers, L""},
      {L"HKEY_CURRENT_USER\\", RegistryRoot::kCurrentUser, L""},
      {L"HKEY_PERFORMANCE_NLSTEXT\\x", RegistryRoot::kPerformanceNlsText, L"x"},
      {L"HKEY_DYN_DATA\\a\\b", RegistryRoot::kDynData, L"a\\b"},
      {L"HKLM\\SOFTWARE", RegistryRoot::kNone, L"SOFTWARE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const RegistryPath path = SplitRegistryPath(c.text);
    EXPECT_EQ(path.root, c.root);
    EXPECT_EQ(path.subkey, c.subkey);
  }
}

}  // namespace
}  // namespace tw
