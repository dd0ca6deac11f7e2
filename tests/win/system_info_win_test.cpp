#include <gtest/gtest.h>

#include <thread>

#include "platform/win/registry_win.h"
#include "platform/win/file_version_info_win.h"
#include "platform/win/system_info_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

// Wine reports the Windows version its registry names for a program
// (AppDefaults): the helper is run as each Windows and reports its OS code.
// No AppDefaults gives the prefix's own, Windows 7. (Wine 8 answers its
// "win7" and "win2008r2" settings each with the other's product type, so
// those two names are not used.)
TEST(SystemInfo, OsCodeOfEachWindows) {
  const std::wstring key = L"Software\\Wine\\AppDefaults\\tw_test_helper.exe";
  constexpr bool k64 = sizeof(void*) == 8;
  const struct {
    const wchar_t* version;  // null: the prefix's own
    DWORD code;
  } cases[] = {{nullptr, k64 ? 12u : 11u},
               {L"vista", k64 ? 10u : 9u},
               {L"win8", k64 ? 16u : 15u},
               {L"win81", k64 ? 18u : 17u},
               {L"win10", k64 ? 20u : 19u}};
  for (const auto& c : cases) {
    ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    if (c.version) {
      ASSERT_TRUE(test::SetRegValue(HKEY_CURRENT_USER, key, L"Version", REG_SZ, c.version,
                                    static_cast<DWORD>((std::wcslen(c.version) + 1) * sizeof(wchar_t))));
    }
    const std::optional<DWORD> code = test::RunProcess(L"\"" + test::ProgramDir() + L"tw_test_helper.exe\" os-code");
    EXPECT_EQ(code, std::optional<DWORD>(c.code)) << (c.version ? c.version : L"the prefix's own");
  }
  ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

TEST(SystemInfo, ThePrefixArchitectureIsTheProgramsOwn) {
  // The tests run in a 32-bit Wine prefix (no WOW64, no 64-bit registry
  // view), or, built for 64-bit Windows where the kernel runs no 32-bit
  // programs, in a 64-bit one.
  constexpr bool k64 = sizeof(void*) == 8;
  EXPECT_EQ(IsNative64(), k64 ? 1 : 0);
  EXPECT_EQ(SystemVersion::Instance().Is64(), k64);
  EXPECT_EQ(SystemVersion::Instance().Architecture(), k64 ? ProcessorArchitecture::kX64 : ProcessorArchitecture::kX86);
  EXPECT_GE(SystemVersion::Instance().ProcessorCount(), 1u);
  EXPECT_NE(SystemVersion::Instance().VersionClass(), 0);
}

TEST(SystemInfo, SystemVersionIsOneInstanceAcrossThreads) {
  SystemVersion* seen[4] = {};
  std::thread threads[4];
  for (int i = 0; i < 4; ++i) threads[i] = std::thread([&seen, i] { seen[i] = &SystemVersion::Instance(); });
  for (auto& thread : threads) thread.join();
  for (SystemVersion* instance : seen) EXPECT_EQ(instance, &SystemVersion::Instance());
}

TEST(SystemInfo, ParseRegistryPathGivesTheRootHandle) {
  std::wstring subkey;
  EXPECT_EQ(ParseRegistryPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\x", subkey), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(subkey, L"SOFTWARE\\x");
  EXPECT_EQ(ParseRegistryPath(L"hkey_current_user", subkey), HKEY_CURRENT_USER);
  EXPECT_EQ(subkey, L"");
  EXPECT_EQ(ParseRegistryPath(L"HKCU\\x", subkey), nullptr);
}

// Writes the suite's install directory into the Wine registry and removes it again.
class ProductDirTest : public testing::Test {
 protected:
  // A machine without the product, whatever an earlier run (the demo's
  // product installer stand-in, another test) left in the prefix.
  void SetUp() override { test::DeleteRegTree32(HKEY_LOCAL_MACHINE, L"software\\tarnwick\\antivirus"); }
  void TearDown() override { test::DeleteRegTree32(HKEY_LOCAL_MACHINE, L"software\\tarnwick\\antivirus"); }

  void SetProgramPath(const void* data, DWORD bytes, DWORD type) {
    ASSERT_TRUE(
        test::SetRegValue32(HKEY_LOCAL_MACHINE, L"software\\tarnwick\\antivirus", L"ProgramPath", type, data, bytes));
  }
  void SetProgramPath(const std::wstring& text) {
    SetProgramPath(text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), REG_SZ);
  }
};

TEST_F(ProductDirTest, AddsTheTrailingSeparator) {
  EXPECT_EQ(GetProductDir(), L"");
  SetProgramPath(L"C:\\Program Files\\Tarnwick\\Zorn");
  EXPECT_EQ(GetProductDir(), L"C:\\Program Files\\Tarnwick\\Zorn\\");
  SetProgramPath(L"C:\\Zorn/");
  EXPECT_EQ(GetProductDir(), L"C:\\Zorn/");
  SetProgramPath(L"");
  EXPECT_EQ(GetProductDir(), L"");
}

TEST_F(ProductDirTest, BrokenValuesGiveNoDirectory) {
  const DWORD number = 5;
  SetProgramPath(&number, sizeof number, REG_DWORD);
  EXPECT_EQ(GetProductDir(), L"");
  const wchar_t unterminated[] = {L'C', L':', L'\\', L'Z'};  // stored without its terminator
  SetProgramPath(unterminated, sizeof unterminated, REG_SZ);
  EXPECT_EQ(GetProductDir(), L"C:\\Z\\");
  EXPECT_EQ(GetDriverProductDir(), L"");
}

TEST(FileVersionInfo, ReadsTheOnlyTranslationForAChineseUser) {
  ASSERT_EQ(PRIMARYLANGID(::GetUserDefaultLangID()), LANG_CHINESE) << "the tests run in the users' locale";
  CFileVersionInfo info;
  ASSERT_TRUE(info.Create(test::ProgramDir() + L"version_sample.dll"));
  EXPECT_EQ(info.Language(), 0x0409);
  EXPECT_EQ(info.CodePage(), 0x04B0);
  EXPECT_EQ(info.FileVersion(), L"3.1.4.1592");
  EXPECT_EQ(info.String(CFileVersionInfo::kCompanyName), L"Sample Company");
  EXPECT_EQ(info.String(CFileVersionInfo::kSpecialBuild), L"special");
  EXPECT_EQ(info.String(CFileVersionInfo::kComments), L"") << "a missing string stays empty";
  ASSERT_TRUE(info.HasFixed());
  EXPECT_EQ(info.Fixed().dwFileVersionMS, 0x00030001u);
  EXPECT_EQ(info.Fixed().dwFileVersionLS, 0x00040638u);
}

TEST(FileVersionInfo, FilesWithoutAResourceLeaveItEmpty) {
  CFileVersionInfo info;
  ASSERT_TRUE(info.Create(test::ProgramDir() + L"version_sample.dll"));
  EXPECT_FALSE(info.Create(test::ProgramDir() + L"win_tests.exe"));
  EXPECT_EQ(info.FileVersion(), L"");
  EXPECT_FALSE(info.HasFixed());
  EXPECT_FALSE(info.Create(test::ProgramDir() + L"no such file.dll"));
}

TEST(FileVersionInfo, ReadsTheInstallersOwnResource) {
  CFileVersionInfo info;
  ASSERT_TRUE(info.Create(test::ProgramDir() + L"twinstall.exe"));
  EXPECT_EQ(info.Language(), 0x0804);
  EXPECT_EQ(info.String(CFileVersionInfo::kProductName), L"Tarnwick Zorn");
}

}  // namespace
}  // namespace tw
