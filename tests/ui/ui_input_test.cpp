// Mouse messages sent to a real host window under Wine produce exactly the
// framework notifications of the routing rules; a window that records what
// it receives stands in for window code.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "tests/ui/ui_test_support_win.h"
#include "ui/hosts/dialog_host_win.h"

namespace tw::ux {
namespace {

class RecordingWindow : public win::CUxDialogViewImplEx {
 public:
  using CUxDialogViewImplEx::CUxDialogViewImplEx;
  std::vector<std::string> heard;
  std::vector<uint32_t> notice_codes;  // every framework notice window code receives
  HWND edit = nullptr;

  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override {
    if (message == WM_INITDIALOG) {
      edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_TABSTOP, 0, 0, 10, 10, m_hwnd,
                               reinterpret_cast<HMENU>(43), nullptr, nullptr);
    }
    if (message == WM_NOTIFY) notice_codes.push_back(reinterpret_cast<const UxNotice*>(lparam)->code);
    if (message == WM_NOTIFY && wparam == static_cast<WPARAM>(-1)) {
      const auto* notice = reinterpret_cast<const UxNotice*>(lparam);
      EXPECT_EQ(notice->idFrom, static_cast<uintptr_t>(-1));
      EXPECT_EQ(notice->hwndFrom, m_hwnd);
      static const std::map<uint32_t, std::string> names = {
          {UXN_CLICK, "click"},           {UXN_POINTER_ENTER, "enter"},   {UXN_POINTER_LEAVE, "leave"},
          {UXN_PRESS, "press"},           {UXN_DOUBLE_CLICK, "dblclick"}, {UXN_RIGHT_PRESS, "rpress"},
          {UXN_RIGHT_RELEASE, "rrelease"}};
      auto name = names.find(notice->code);
      if (name != names.end() && notice->code != UXN_POINTER_ENTER)
        heard.push_back(name->second + " " + std::to_string(notice->ctrlId));
      handled = true;
    }
    return 0;
  }
  void StartWindowMove() override { heard.push_back("move"); }
  void OpenLink(std::wstring_view /*href*/) override { heard.push_back("open"); }

  void Send(UINT message, int x, int y) {
    ::SendMessageW(m_hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  }
  std::vector<std::string> Take() { return std::exchange(heard, {}); }
  HWND Handle() const { return m_hwnd; }
};

class UiInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseTestResources();
    ASSERT_NE(window.Create(nullptr), nullptr);
  }
  RecordingWindow window{20001};
};

// Body controls sit 30 pixels down, below the header.
TEST_F(UiInputTest, HeaderTextDragsAndButtonsClick) {
  window.Send(WM_LBUTTONDOWN, 60, 15);  // the title text in the header
  window.Send(WM_LBUTTONUP, 60, 15);
  EXPECT_EQ(window.Take(), std::vector<std::string>{"move"});
  window.Send(WM_MOUSEMOVE, 150, 84);
  window.Send(WM_LBUTTONDOWN, 150, 84);  // the dlgbtnEx2, on its inner text
  window.Send(WM_LBUTTONUP, 150, 84);
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"press 26", "click 26"}));
}

struct TooltipSearch {
  HWND owner;
  HWND found = nullptr;
};

// A callback of the system's own convention (stdcall in the 32-bit file).
BOOL CALLBACK FindTooltip(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<TooltipSearch*>(data);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (::GetWindow(window, GW_OWNER) != search->owner || ::lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// The tooltip window the host shows tips in, when it has one.
HWND TooltipOf(HWND host) {
  TooltipSearch search{host};
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindTooltip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Nobody sees a tip before pointing at something: the tooltip and the
// common controls' classes are not made with the window, and the first
// pointer message makes them, with the hovered control's tip in them.
TEST_F(UiInputTest, TheTooltipIsMadeAtTheFirstPointerMessage) {
  EXPECT_EQ(TooltipOf(window.Handle()), nullptr);
  (void)window.FindControlById(26)->ApplyAttribute("tip", "Install now", false);
  window.Send(WM_MOUSEMOVE, 150, 84);  // over button 26
  const HWND tooltip = TooltipOf(window.Handle());
  ASSERT_NE(tooltip, nullptr);
  wchar_t text[64] = {};
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V1_SIZE;
  tool.hwnd = window.Handle();
  tool.uId = 1;
  tool.lpszText = text;
  ::SendMessageW(tooltip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"Install now");
}

TEST_F(UiInputTest, PressMoveOffAndReleaseDoesNotClick) {
  window.Send(WM_MOUSEMOVE, 150, 84);
  window.Send(WM_LBUTTONDOWN, 150, 84);
  window.Send(WM_MOUSEMOVE, 150, 180);
  window.Send(WM_LBUTTONUP, 150, 180);
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"press 26", "leave 26"}));
}

TEST_F(UiInputTest, LinksOpenAndDisabledControlsStayQuiet) {
  window.Send(WM_MOUSEMOVE, 120, 50);
  window.Send(WM_LBUTTONDOWN, 120, 50);
  window.Send(WM_LBUTTONUP, 120, 50);
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"press 21", "open"}));
  ASSERT_TRUE(window.EnableControl(26, false));
  window.Send(WM_MOUSEMOVE, 150, 84);
  window.Send(WM_LBUTTONDOWN, 150, 84);
  window.Send(WM_LBUTTONUP, 150, 84);
  EXPECT_EQ(window.Take(), std::vector<std::string>{"leave 21"});
  EXPECT_FALSE(window.FindControlById(26)->State() & kStateHover);
}

TEST(UiGroupTest, ButtonsLoadedIntoAGroupCheckOneAnother) {
  // Two image buttons the layout puts in one group: loading them joins the
  // group, so releasing on the second unchecks the first.
  test::UseTestResources();
  RecordingWindow pair{20011};
  ASSERT_NE(pair.Create(nullptr), nullptr);
  auto click = [&pair](int x) {
    pair.Send(WM_MOUSEMOVE, x, 22);
    pair.Send(WM_LBUTTONDOWN, x, 22);
    pair.Send(WM_LBUTTONUP, x, 22);
  };
  click(22);
  EXPECT_TRUE(pair.IsControlChecked(1));
  click(62);
  EXPECT_FALSE(pair.IsControlChecked(1)) << "the group's other member was unchecked";
  EXPECT_TRUE(pair.IsControlChecked(2));
  click(62);
  EXPECT_FALSE(pair.IsControlChecked(2)) << "a checked member released on unchecks itself";
  ::DestroyWindow(pair.Hwnd());
}

TEST_F(UiInputTest, RealWindowFollowsItsPlaceholder) {
  ASSERT_NE(window.edit, nullptr);
  RECT rect;
  ::GetWindowRect(window.edit, &rect);
  ::MapWindowPoints(nullptr, window.Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 90);
  EXPECT_EQ(rect.top, 178);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_TRUE(::GetWindowLongW(window.edit, GWL_STYLE) & WS_VISIBLE);
  ASSERT_TRUE(window.ShowControl(43, false));
  EXPECT_FALSE(::GetWindowLongW(window.edit, GWL_STYLE) & WS_VISIBLE);
  ASSERT_TRUE(window.SetControlAttribute(43, "pos", "10,10,w50,h20"));
  ::GetWindowRect(window.edit, &rect);
  ::MapWindowPoints(nullptr, window.Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 40);
}

TEST_F(UiInputTest, CursorAndRepaintRequestsReachTheHost) {
  window.Send(WM_MOUSEMOVE, 120, 50);  // the link's style asks for the hand
  ::SendMessageW(window.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Hwnd()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
  // A control's repaint request arrives at the host as a notice, which
  // invalidates the rectangle and keeps the notice from window code.
  ::ShowWindow(window.Hwnd(), SW_SHOWNOACTIVATE);  // a hidden window keeps no update region
  ::UpdateWindow(window.Hwnd());
  ::ValidateRect(window.Hwnd(), nullptr);
  window.notice_codes.clear();
  window.FindControlById(20)->RequestRepaint({3, 4, 13, 14});
  RECT update{};
  ASSERT_TRUE(::GetUpdateRect(window.Hwnd(), &update, FALSE)) << "the rectangle waits to be painted";
  EXPECT_TRUE(update.left <= 3 && update.top <= 4 && update.right >= 13 && update.bottom >= 14)
      << update.left << "," << update.top << "," << update.right << "," << update.bottom;
  EXPECT_EQ(std::count(window.notice_codes.begin(), window.notice_codes.end(), UXN_REPAINT_REQUEST), 0)
      << "window code never hears the request";
}

}  // namespace
}  // namespace tw::ux

namespace tw::ux {
namespace {

UxNotice g_parent_heard;
int g_parent_notices = 0;
LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NOTIFY) {
    g_parent_heard = *reinterpret_cast<const UxNotice*>(lparam);
    ++g_parent_notices;
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

TEST(UiRichTextInput, LinkClickReachesTheHostsParentOnlyOnTheSameLink) {
  test::UseTestResources();
  WNDCLASSW parent_class{};
  parent_class.lpfnWndProc = &ParentProc;
  parent_class.hInstance = ::GetModuleHandleW(nullptr);
  parent_class.lpszClassName = L"TwRichTextParent";
  ::RegisterClassW(&parent_class);
  HWND parent = ::CreateWindowExW(0, parent_class.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  parent_class.hInstance, nullptr);
  RecordingWindow window(20009);
  ASSERT_NE(window.Create(parent), nullptr);
  auto image = win::PrintWindowPixels(window.Hwnd());  // the links' areas come from a paint
  ASSERT_NE(image, nullptr);
  g_parent_notices = 0;
  window.Send(WM_MOUSEMOVE, 170, 66);
  window.Send(WM_LBUTTONDOWN, 170, 66);
  window.Send(WM_LBUTTONUP, 170, 66);
  ASSERT_EQ(g_parent_notices, 1);
  EXPECT_EQ(g_parent_heard.code, UXN_CLICK);
  EXPECT_EQ(g_parent_heard.ctrlId, 77);
  EXPECT_STREQ(g_parent_heard.ctrlTag, "richtext");
  EXPECT_EQ(window.FindControlById(1)->ChooseCursor(), UxStyle::Cursor::kHand);
  // Pressed on the link, released on plain text: nothing.
  window.Send(WM_LBUTTONDOWN, 170, 66);
  window.Send(WM_MOUSEMOVE, 20, 15);
  window.Send(WM_LBUTTONUP, 20, 15);
  EXPECT_EQ(g_parent_notices, 1);
  ::DestroyWindow(window.Hwnd());
  ::DestroyWindow(parent);
}

// A window created again after its first window went plays its animated
// node again: the node was stopped with the timeline it belonged to.
TEST(AnimatedWindow, ANodeStartsAgainWhenItsWindowIsCreatedAnew) {
  test::UseTestResources();
  RecordingWindow window(20009);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_NE(window.Timeline(), nullptr);
    EXPECT_EQ(window.Timeline()->HandlerCount(), 1u) << "the animated node is on the timeline";
    ::DestroyWindow(window.Hwnd());
    EXPECT_EQ(window.Timeline(), nullptr);
  }
}

}  // namespace
}  // namespace tw::ux
