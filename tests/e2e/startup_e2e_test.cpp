// The installer as a user starts it: a real twinstall.exe in its own process,
// observed from outside through its exit code and the windows it shows.
#include <gtest/gtest.h>

#include <string>

#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "install/reboot_state.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

constexpr DWORD kExitWaitMs = 60000;

// Holds the single-instance marker the way a running installer does.
class HeldMarker {
 public:
  HeldMarker() { EXPECT_EQ(m_guard.Acquire(), SingleInstanceGuard::Result::kFirstInstance); }
  ~HeldMarker() { m_guard.Release(); }

 private:
  SingleInstanceGuard m_guard;
};

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRebootPendingKey); }
  void TearDown() override { ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kRebootPendingKey); }

  static void MarkRebootPending() { ASSERT_TRUE(test::CreateRegKey(HKEY_LOCAL_MACHINE, kRebootPendingKey)); }

  // The installer copied under a channel file name, as users download it.
  std::wstring InstallerAs(const std::wstring& fileName) {
    const std::wstring copy = m_dir.Path() + fileName;
    EXPECT_TRUE(::CopyFileW((test::ProgramDir() + L"twinstall.exe").c_str(), copy.c_str(), FALSE));
    return L"\"" + copy + L"\"";
  }

  test::ScratchDir m_dir;
};

struct FoundWindow {
  DWORD processId;
  HWND window;
};

// The skinned message box's frame (its zoom animator and shadow are
// windows of the process too).
BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
  auto* found = reinterpret_cast<FoundWindow*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner == found->processId && ::IsWindowVisible(window) && std::wstring(name) == L"UxDialogImpl") {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

HWND TopLevelWindowOf(DWORD processId) {
  FoundWindow found{processId, nullptr};
  ::EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

// Waits for a visible window of the child; null when the child exits first
// or none appears within the bound.
HWND WaitForWindow(const test::Child& child) {
  ::WaitForInputIdle(child.process.Get(), kExitWaitMs);
  for (int round = 0; round < 600; ++round) {
    if (HWND window = TopLevelWindowOf(child.processId)) return window;
    if (::WaitForSingleObject(child.process.Get(), 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

TEST_F(StartupTest, ChannelFileNameRunExitsZero) {
  EXPECT_EQ(test::RunProcess(InstallerAs(L"setup_1029_7_silent.exe"), kExitWaitMs), 0u);
  EXPECT_EQ(test::RunProcess(InstallerAs(L"setup.exe") + L" /cid=12 /tid=34 --weird \"quoted\" /silent", kExitWaitMs),
            0u);
}

TEST_F(StartupTest, PendingRebootShowsTheNoticeAndExitsZero) {
  MarkRebootPending();
  auto child = test::StartProcess(InstallerAs(L"setup_1029_7.exe"));
  ASSERT_TRUE(child);
  const HWND notice = WaitForWindow(*child);
  ASSERT_NE(notice, nullptr) << "the reboot notice should be shown";
  wchar_t title[64] = {};
  ::GetWindowTextW(notice, title, 64);
  EXPECT_EQ(std::wstring(title), L"Tarnwick Zorn");
  // Its text and button are drawn by the framework: the window tests check the picture.
  ::PostMessageW(notice, WM_CLOSE, 0, 0);
  EXPECT_EQ(test::WaitForExit(*child, kExitWaitMs), 0u);
}

TEST_F(StartupTest, SilentPendingRebootExitsWithoutAWindow) {
  MarkRebootPending();
  for (const wchar_t* commandLine : {L"setup_1029_7_silent.exe", L"setup.exe"}) {
    std::wstring line = InstallerAs(commandLine);
    if (std::wstring(commandLine) == L"setup.exe") line += L" /silent";
    EXPECT_EQ(test::RunProcess(line, kExitWaitMs), 0u) << "silent: no notice to wait for";
  }
}

TEST_F(StartupTest, SecondCopyExitsAtOnceUnlessUpdating) {
  MarkRebootPending();  // makes a copy that gets past the guard show a window
  HeldMarker marker;

  auto blocked = test::StartProcess(InstallerAs(L"setup_1029_7.exe"));
  ASSERT_TRUE(blocked);
  EXPECT_EQ(test::WaitForExit(*blocked, kExitWaitMs), 0u) << "a second copy exits without any window";

  for (const wchar_t* updateSwitch : {L" /update", L" --update"}) {
    auto updating = test::StartProcess(InstallerAs(L"setup_1029_7.exe") + updateSwitch);
    ASSERT_TRUE(updating);
    const HWND notice = WaitForWindow(*updating);
    ASSERT_NE(notice, nullptr) << "a copy started with update skips the guard";
    ::PostMessageW(notice, WM_CLOSE, 0, 0);
    EXPECT_EQ(test::WaitForExit(*updating, kExitWaitMs), 0u);
  }
}

}  // namespace
}  // namespace tw
