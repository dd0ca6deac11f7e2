// Running packages: a real "dll" package through its entry function and a
// real "exe" package through the process starters Wine offers.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "app/install_loader.h"
#include "app/process_starters.h"
#include "platform/win/path_macros_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class RecordingSink final : public TwInstallTool::IInstallToolReport {
 public:
  int ReportDetail(int step, int kind, int valueA, int valueB, const wchar_t*) override {
    details.push_back({step, kind, valueA, valueB});
    return 0;
  }
  int ReportStep(int, int, int) override { return 0; }
  int ReportFinal(int, int, int) override { return 0; }
  std::vector<std::vector<int>> details;
};

TEST(PathMacros, LaunchReading) {
  wchar_t temp[MAX_PATH] = {};
  ::ExpandEnvironmentStringsW(L"%TEMP%", temp, MAX_PATH);
  std::wstring path = L"%TEMP%\\pkg_????????.exe";
  ASSERT_TRUE(ExpandPathMacros(path));
  ASSERT_EQ(path.substr(0, wcslen(temp)), temp);
  const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
  ASSERT_EQ(name.size(), 16u);
  EXPECT_EQ(name.substr(0, 4), L"pkg_");
  EXPECT_EQ(name.find_first_not_of(L"0123456789ABCDEF", 4), 12u) << "eight random hexadecimal digits";

  std::wstring both = L"%APPDATA%\\a\\%TEMP%\\b";
  ASSERT_TRUE(ExpandPathMacros(both));
  EXPECT_NE(both.find(L"%TEMP%"), std::wstring::npos) << "only the first macro of the table";
  std::wstring none = L"C:\\plain\\path.exe";
  EXPECT_FALSE(ExpandPathMacros(none)) << "a package path without a macro is refused";
  std::wstring empty;
  EXPECT_FALSE(ExpandPathMacros(empty));
  std::wstring slashes = L"%WINDOWS%//temp/x\\\\y.exe";
  ASSERT_TRUE(ExpandPathMacros(slashes));
  EXPECT_EQ(slashes.find(L'/'), std::wstring::npos);
  EXPECT_EQ(slashes.find(L"\\\\"), std::wstring::npos);
  std::wstring module = L"%CUR_MODULE%\\x";
  ASSERT_TRUE(ExpandPathMacros(module));
  EXPECT_EQ(module, test::ProgramDir() + L"x");
}

TEST(InstallLoader, DllPackages) {
  test::ScratchDir dir;
  const std::wstring dll = test::ProgramDir() + L"launch_sample.dll";
  const std::wstring output = dir.Path() + L"entry.txt";
  RecordingSink sink;
  TwInstallLoader loader;
  loader.SetReportSink(GUID{}, &sink);  // a wrong identifier is ignored
  loader.SetReportSink(kInstallReportSinkId, &sink);
  EXPECT_FALSE(loader.Prepare(L"dll", dll, output, L"", L"", L"", 0, 0)) << "no function name";
  ASSERT_TRUE(loader.Prepare(L"DLL", dll, output, L"InstallEntry", L"", L"", 0, 0));
  EXPECT_EQ(loader.Run(2), kLaunchOk);
  EXPECT_EQ(test::ReadWholeFile(output), "entry called");
  EXPECT_EQ(sink.details, (std::vector<std::vector<int>>{{60, 1, 0, 2}, {60, 2, 0, 2}}));

  ASSERT_TRUE(loader.Prepare(L"dll", dll, output, L"NoSuchEntry", L"", L"", 0, 0));
  EXPECT_EQ(loader.Run(1), kLaunchFunctionMissing);
  ASSERT_TRUE(loader.Prepare(L"dll", dir.Path() + L"missing.dll", output, L"InstallEntry", L"", L"", 0, 0));
  EXPECT_EQ(loader.Run(1), kLaunchLibraryNotLoaded);
  ASSERT_TRUE(loader.Prepare(L"msi", dll, L"", L"", L"", L"", 0, 0));
  EXPECT_EQ(loader.Run(1), kLaunchBadModuleType);
  ASSERT_TRUE(loader.Prepare(L"exe", dir.Path() + L"missing.exe", L"", L"", L"", L"", 0, 0));
  EXPECT_EQ(loader.Run(1), kLaunchFileMissing);
  EXPECT_FALSE(loader.Prepare(L"exe", L"", L"", L"", L"", L"", 0, 0));
}

// Starts the helper with "set-event NAME" and waits for the event it sets.
bool StartedAndSignalled(const std::function<bool(const std::wstring&, const std::wstring&)>& start) {
  static int counter = 0;
  const std::wstring name = L"TwLaunchTest" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  const bool started = start(test::ProgramDir() + L"tw_test_helper.exe", L"set-event " + name);
  const bool signalled = started && ::WaitForSingleObject(event, 60000) == WAIT_OBJECT_0;
  ::CloseHandle(event);
  return signalled;
}

TEST(ProcessStarters, ThePathWineTakes) {
  std::wstring elevated, user;
  EXPECT_TRUE(StartedAndSignalled([&](const std::wstring& program, const std::wstring& parameters) {
    return StartAsElevatedUser(program, parameters, 0, 0, &elevated);
  }));
  EXPECT_TRUE(StartedAndSignalled([&](const std::wstring& program, const std::wstring& parameters) {
    return StartAsUser(program, parameters, 0, 0, &user);
  }));
  RecordProperty("elevated", std::string(elevated.begin(), elevated.end()));
  RecordProperty("user", std::string(user.begin(), user.end()));
  DWORD exitCode = 99;
  EXPECT_TRUE(StartAsSelf(test::ProgramDir() + L"tw_test_helper.exe", L"set-event NoSuchEventAnywhere", -1, 0, &exitCode));
  EXPECT_EQ(exitCode, 2u) << "waited for, with its exit code";
  EXPECT_TRUE(StartedAndSignalled([&](const std::wstring& program, const std::wstring& parameters) {
    return StartWithShellToken(program, parameters, 0, 0);
  }));
}

TEST(InstallLoader, ExePackageStartsTheProductInstaller) {
  const std::wstring name = L"TwLoaderExe" + std::to_wstring(::GetCurrentProcessId());
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  TwInstallLoader loader;
  ASSERT_TRUE(loader.Prepare(L"exe", test::ProgramDir() + L"tw_test_helper.exe", L"set-event " + name, L"", L"", L"", 1, 0));
  EXPECT_EQ(loader.Run(1), kLaunchOk);
  EXPECT_EQ(::WaitForSingleObject(event, 60000), WAIT_OBJECT_0);
  ::CloseHandle(event);
}

}  // namespace
}  // namespace tw
