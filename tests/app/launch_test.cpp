// Running packages: a real "dll" package through its entry function and a
// real "exe" package through the process starters Wine offers.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "install/install_loader_win.h"
#include "install/process_starters_win.h"
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
  const std::wstring name =
      L"TwLaunchTest" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
  const win::UniqueHandleObject event(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  const bool started = start(test::ProgramDir() + L"tw_test_helper.exe", L"set-event " + name);
  return started && ::WaitForSingleObject(event.Get(), 60000) == WAIT_OBJECT_0;
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
  // Whichever way the system gave the token, the steps are the documented
  // ones, in order, and the start used it.
  for (const std::wstring* trace : {&elevated, &user}) {
    const std::string text(trace->begin(), trace->end());
    EXPECT_TRUE(trace->rfind(L"wts:yes", 0) == 0 || trace->find(L"explorer:yes") != std::wstring::npos)
        << "a user token from the active session or from explorer: " << text;
    EXPECT_NE(trace->find(L"start:yes"), std::wstring::npos) << text;
  }
  EXPECT_NE(elevated.find(L"admin:"), std::wstring::npos) << "the administrator step was taken";
  EXPECT_LT(elevated.find(L"admin:"), elevated.find(L"start:")) << "before the start";
  EXPECT_EQ(user.find(L"admin:"), std::wstring::npos) << "the user start takes no administrator step";
  DWORD exitCode = 99;
  EXPECT_TRUE(
      StartAsSelf(test::ProgramDir() + L"tw_test_helper.exe", L"set-event NoSuchEventAnywhere", -1, 0, &exitCode));
  EXPECT_EQ(exitCode, 2u) << "waited for, with its exit code";
}

TEST(InstallLoader, ExePackageStartsTheProductInstaller) {
  const std::wstring name = L"TwLoaderExe" + std::to_wstring(::GetCurrentProcessId());
  const win::UniqueHandleObject event(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
  TwInstallLoader loader;
  ASSERT_TRUE(
      loader.Prepare(L"exe", test::ProgramDir() + L"tw_test_helper.exe", L"set-event " + name, L"", L"", L"", 1, 0));
  EXPECT_EQ(loader.Run(1), kLaunchOk);
  EXPECT_EQ(::WaitForSingleObject(event.Get(), 60000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

// The product installer peer started as a package, talking back to a real window.
TEST(ProductInstallerInterface, StagesOutcomeEventsAndRegistry) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"TwInstallerFeedbackTest";
  ::RegisterClassW(&windowClass);
  HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  const std::wstring hold = L"TwInstallerHold" + std::to_wstring(::GetCurrentProcessId());
  const win::UniqueHandleObject release(::CreateEventW(nullptr, TRUE, FALSE, hold.c_str()));
  wchar_t hwnd[16];
  std::swprintf(hwnd, 16, L"%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
  const std::wstring parameters =
      L"/rcmdfromtwinst /rcmdSceneId=2 /autoinstall ##silence=0&installpath=\"C:\\Program Files\\Zorn\"&hwnd=" +
      std::wstring(hwnd) + L"&noshowinstalldlg=1&hold=" + hold;
  TwInstallLoader loader;
  ASSERT_TRUE(
      loader.Prepare(L"exe", test::ProgramDir() + L"tw_product_installer.exe", parameters, L"", L"", L"", 0, 0));
  ASSERT_EQ(loader.Run(1), kLaunchOk);

  std::vector<std::pair<UINT, WPARAM>> received;
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == window && message.message >= WM_USER + 109 && message.message <= WM_USER + 113) {
      received.emplace_back(message.message - WM_USER, message.wParam);
      if (message.message == WM_USER + 109 && message.wParam == 5) break;
    }
    ::DispatchMessageW(&message);
  }
  EXPECT_EQ(received,
            (std::vector<std::pair<UINT, WPARAM>>{{109, 1}, {109, 2}, {109, 3}, {109, 4}, {112, 0}, {109, 5}}));
  {
    const win::UniqueHandleObject running(
        ::OpenEventW(SYNCHRONIZE, FALSE, L"Global\\{E02A6D98-80B3-4a54-89E3-116EB96D0664}_EXIST"));
    const win::UniqueHandleObject windowless(
        ::OpenEventW(SYNCHRONIZE, FALSE, L"Global\\{8A58A1E3-3034-44A4-AA09-D655F233F8ED}_EXIST"));
    EXPECT_TRUE(running) << "held while the installer runs";
    EXPECT_TRUE(windowless) << "held while it runs without a window of its own";
  }
  ::SetEvent(release.Get());

  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const std::string recorded = test::ReadWholeFile(std::wstring(temp) + L"tw_product_installer.txt");
  EXPECT_NE(
      recorded.find(
          "\" /rcmdfromtwinst /rcmdSceneId=2 /autoinstall ##silence=0&installpath=\"C:\\Program Files\\Zorn\"&hwnd="),
      std::string::npos)
      << recorded;
  wchar_t programPath[MAX_PATH] = {};
  DWORD bytes = sizeof programPath;
  EXPECT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus", L"ProgramPath", RRF_RT_REG_SZ, nullptr,
                           programPath, &bytes),
            ERROR_SUCCESS);
  EXPECT_STREQ(programPath, L"C:\\Program Files\\Zorn");
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus", L"ProgramPath");
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace tw
