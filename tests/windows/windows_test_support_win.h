// Shared by the installer window tests: the installer's own resources (taken
// from twinstall.exe), a script of steps run on the window's thread while a
// modal loop runs, clicks at a control's centre, and a main window whose
// ways out of the process (browser, leave question, folder browser, disk
// queries) are recorded or scripted.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/win/picture_compare_win.h"
#include "ui/hosts/host_core_win.h"
#include "tools/ux_render/render_session_win.h"
#include "windows/main_window_win.h"
#include "windows/message_box_rules.h"

namespace tw::test {

void UseInstallerResources();
std::wstring WindowPictures();  // tests/fixtures/windows

// Steps run every 20 ms on this thread (also inside nested modal loops); a
// step returns true when it is done. Past `bound_ms` the script fails the
// test and calls `on_timeout` so that no loop waits forever.
class Script {
 public:
  using Step = std::function<bool()>;
  Script(std::function<void()> on_timeout, DWORD bound_ms = 90000);
  ~Script();
  Script& Then(Step step);
  // A step that only acts once.
  Script& Do(std::function<void()> action);
  void Start();
  bool Done() const noexcept { return m_next >= m_steps.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  void RunDue();

  std::vector<Step> m_steps;
  size_t m_next = 0;
  std::function<void()> m_on_timeout;
  DWORD m_bound;
  ULONGLONG m_started = 0;
  UINT_PTR m_timer = 0;
};

// A press and release at the centre of a control of a host.
void Click(ux::win::UxHostCore& host, int id);
// Replaces the path box's text the way typing does (WM_SETTEXT would not
// notify a multi-line edit's parent of the change).
void TypePath(HWND box, const std::wstring& text);
// A visible framework window of this thread with this class (a nested dialog).
HWND FindThreadWindow(const wchar_t* class_name);

// Answers for the install-path validation: every path fixed and roomy
// unless listed.
class ScriptedPathQueries : public IPathQueries {
 public:
  std::optional<uint32_t> Attributes(const std::wstring& path) const override;
  DriveKind DriveType(const std::wstring& root) const override;
  std::optional<uint64_t> FreeBytes(const std::wstring& root) const override;
};

class TestMainWindow : public TwDetectorMainDlg {
 public:
  TestMainWindow(int cid, int tid);
  std::vector<std::wstring> opened_pages;
  int leave_answer = kBoxClosedRight;
  int leave_questions = 0;
  int disagree_answer = 0;  // 0: run the real dialog
  int reboot_notices = 0;
  std::optional<std::wstring> browse_result;
  bool fake_paths = true;
  INT_PTR result = -1;

  bool Shown(int id) const { return IsControlShown(id, true); }
  bool Disabled(int id) const;
  std::wstring TextOf(int id) const;
  std::wstring Tip() const { return Tray().Tip(); }

 protected:
  bool OpenPage(const std::wstring& address) override;
  int AskToLeave() override;
  int RunDisagreeDialog() override;
  void ShowRebootNotice() override { ++reboot_notices; }
  std::optional<std::wstring> BrowseFolder() override { return browse_result; }
  const IPathQueries& PathQueries() const override;

 private:
  ScriptedPathQueries m_fake;
};

// The window alone: its road is left out and its messages are the script's.
class QuietMainWindow : public TestMainWindow {
 public:
  using TestMainWindow::TestMainWindow;

 protected:
  void StartWorker() override {}
};

}  // namespace tw::test
