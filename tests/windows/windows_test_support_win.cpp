#include "tests/windows/windows_test_support_win.h"

#include <map>

#include "tests/win/test_support_win.h"
#include "tools/ux_render/render_session_win.h"

namespace tw::test {

namespace {
std::map<UINT_PTR, Script*>& Scripts() {
  static std::map<UINT_PTR, Script*> scripts;
  return scripts;
}
}  // namespace

void UseInstallerResources() { ux::win::UseRenderResources(L"", ProgramDir() + L"twinstall.exe"); }

std::wstring WindowPictures() { return FixturePath("windows"); }

Script::Script(std::function<void()> on_timeout, DWORD bound_ms)
    : m_on_timeout(std::move(on_timeout)), m_bound(bound_ms) {}

Script::~Script() {
  if (m_timer) {
    ::KillTimer(nullptr, m_timer);
    Scripts().erase(m_timer);
  }
}

Script& Script::Then(Step step) {
  m_steps.push_back(std::move(step));
  return *this;
}

Script& Script::Do(std::function<void()> action) {
  return Then([action = std::move(action)] {
    action();
    return true;
  });
}

void Script::Start() {
  m_started = ::GetTickCount64();
  m_timer = ::SetTimer(nullptr, 0, 20, &Script::Tick);
  Scripts()[m_timer] = this;
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  auto found = Scripts().find(id);
  if (found != Scripts().end()) found->second->RunDue();
}

void Script::RunDue() {
  while (!Done()) {
    // Counted as done before it runs: a step that opens a nested modal loop
    // (a dialog) lets the next steps run from inside that loop.
    const size_t step = m_next++;
    if (!m_steps[step]()) {
      if (m_next == step + 1) m_next = step;  // not yet: again on the next tick
      break;
    }
  }
  if (!Done() && ::GetTickCount64() - m_started > m_bound) {
    ADD_FAILURE() << "script step " << m_next << " never finished";
    m_next = m_steps.size();
    if (m_on_timeout) m_on_timeout();
  }
}

void Click(ux::win::UxHostCore& host, int id) {
  ux::CUxWindow* control = host.FindControlById(id);
  ASSERT_NE(control, nullptr) << id;
  const ux::UxRect r = control->Rect();
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::SendMessageW(host.Hwnd(), WM_MOUSEMOVE, 0, at);
  ::SendMessageW(host.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(host.Hwnd(), WM_LBUTTONUP, 0, at);
}

void TypePath(HWND box, const std::wstring& text) {
  ::SendMessageW(box, EM_SETSEL, 0, -1);
  ::SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {
struct Search {
  const wchar_t* name;
  HWND found;
};
BOOL CALLBACK MatchEnabledClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (std::wstring(name) == search->name && ::IsWindowEnabled(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindThreadWindow(const wchar_t* class_name) {
  Search search{class_name, nullptr};
  ::EnumThreadWindows(::GetCurrentThreadId(), &MatchEnabledClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<uint32_t> ScriptedPathQueries::Attributes(const std::wstring& path) const {
  if (path == L"C:\\readonly") return 0x1;
  return std::nullopt;
}

DriveKind ScriptedPathQueries::DriveType(const std::wstring& root) const {
  return root == L"N:\\" ? DriveKind::kOther : DriveKind::kFixed;
}

std::optional<uint64_t> ScriptedPathQueries::FreeBytes(const std::wstring& root) const {
  if (root == L"F:\\") return uint64_t{1023} << 20;  // a full disk, which Wine cannot make
  return uint64_t{50} << 30;
}

TestMainWindow::TestMainWindow(int cid, int tid)
    : TwDetectorMainDlg(cid, tid, [] {
        TwMain::Hooks hooks;
        hooks.draw = [] { return 45; };
        return hooks;
      }()) {}

bool TestMainWindow::Disabled(int id) const {
  const ux::CUxWindow* control = FindControlById(id);
  return control && control->IsDisabled(true);
}

std::wstring TestMainWindow::TextOf(int id) const {
  const ux::CUxWindow* control = FindControlById(id);
  return control ? control->Text() : std::wstring();
}

bool TestMainWindow::OpenPage(const std::wstring& address) {
  opened_pages.push_back(address);
  return true;
}

int TestMainWindow::AskToLeave() {
  ++leave_questions;
  return leave_answer;
}

int TestMainWindow::RunDisagreeDialog() {
  return disagree_answer ? disagree_answer : TwDetectorMainDlg::RunDisagreeDialog();
}

const IPathQueries& TestMainWindow::PathQueries() const {
  return fake_paths ? static_cast<const IPathQueries&>(m_fake) : TwDetectorMainDlg::PathQueries();
}

}  // namespace tw::test
