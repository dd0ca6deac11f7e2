// The modal loop and the framed dialog under Wine: ending from inside the
// loop and from a message another thread sends, Escape and the close
// command in a message box, the owner disabled while the loop runs, and the
// failure path of a missing layout.
#include <gtest/gtest.h>

#include <thread>

#include "platform/win/unique_handle_win.h"
#include "tests/ui/ui_test_support_win.h"
#include "ui/hosts/dialog_host_win.h"
#include "ui/hosts/framed_dialog_win.h"

namespace tw::ux {
namespace {

class OwnerWindow {
 public:
  OwnerWindow() {
    m_hwnd = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  }
  ~OwnerWindow() { ::DestroyWindow(m_hwnd); }
  HWND Get() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

// Ends itself from a timer inside the loop and notes what it saw then.
class TimedWindow : public win::CUxDialogViewImplEx {
 public:
  using CUxDialogViewImplEx::CUxDialogViewImplEx;
  HWND owner = nullptr;
  bool owner_enabled_inside = true;
  LRESULT OnMessage(UINT message, WPARAM /*wparam*/, LPARAM /*lparam*/, bool& handled) override {
    if (message == WM_INITDIALOG) ::SetTimer(m_hwnd, 1, 10, nullptr);
    if (message == WM_TIMER) {
      ::KillTimer(m_hwnd, 1);
      owner_enabled_inside = owner && ::IsWindowEnabled(owner);
      EndDialog(42);
      handled = true;
    }
    return 0;
  }
};

// Ended by a message another thread sends: GetMessage handles a sent
// message inside itself and goes on waiting, so the loop sees the end only
// when something is posted after it.
class EndedFromAnotherThread : public win::CUxDialogViewImplEx {
 public:
  static constexpr UINT kEnd = WM_APP + 7;
  using CUxDialogViewImplEx::CUxDialogViewImplEx;
  // Set once the loop has nothing left to do: shown, painted, its timer seen.
  const tw::win::UniqueHandleObject idle{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  LRESULT OnMessage(UINT message, WPARAM /*wparam*/, LPARAM /*lparam*/, bool& handled) override {
    if (message == WM_INITDIALOG) ::SetTimer(m_hwnd, 1, 10, nullptr);
    if (message == WM_TIMER) {
      ::KillTimer(m_hwnd, 1);
      ::SetEvent(idle.Get());
      handled = true;
    }
    if (message == kEnd) {
      EndDialog(7);
      handled = true;
    }
    return 0;
  }
};

class EscapableBox : public win::CUxDialogImpl {
 public:
  using CUxDialogImpl::CUxDialogImpl;
  std::vector<int> clicks;
  UINT first_step = WM_KEYDOWN;
  WPARAM key = VK_ESCAPE;
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override {
    if (message == WM_INITDIALOG) ::SetTimer(m_hwnd, 1, 10, nullptr);
    if (message == WM_TIMER) {
      ::KillTimer(m_hwnd, 1);
      if (first_step == WM_KEYDOWN) ::PostMessageW(m_view.Hwnd(), WM_KEYDOWN, key, 0);
      else ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
      handled = true;
    }
    if (message == WM_NOTIFY && wparam == kFramedViewId) {
      const auto* notice = reinterpret_cast<const UxNotice*>(lparam);
      if (notice->code == UXN_CLICK) {
        clicks.push_back(notice->ctrlId);
        EndDialog(notice->ctrlId);
      }
      handled = true;
    }
    return 0;
  }
};

class UiModalTest : public ::testing::Test {
 protected:
  void SetUp() override { test::UseTestResources(); }
};

TEST_F(UiModalTest, EndDialogInsideTheLoopReturnsAndTheOwnerComesBack) {
  OwnerWindow owner;
  TimedWindow window(20001);
  window.owner = owner.Get();
  EXPECT_EQ(window.DoModal(owner.Get()), 42);
  EXPECT_FALSE(window.owner_enabled_inside);
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  EXPECT_FALSE(window.Exists());
  EXPECT_EQ(win::CurrentMainWindow(), nullptr);
}

TEST_F(UiModalTest, EndingFromAMessageAnotherThreadSendsWakesTheLoop) {
  EndedFromAnotherThread window(20011);
  const DWORD loop_thread = ::GetCurrentThreadId();
  const tw::win::UniqueHandleObject returned(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  bool rescued = false;
  std::thread sender([&] {
    if (::WaitForSingleObject(window.idle.Get(), 10000) != WAIT_OBJECT_0) return;
    ::SendMessageW(window.Hwnd(), EndedFromAnotherThread::kEnd, 0, 0);
    if (::WaitForSingleObject(returned.Get(), 5000) == WAIT_TIMEOUT) {
      rescued = true;  // the loop slept on: wake it so that the test ends
      ::PostThreadMessageW(loop_thread, WM_NULL, 0, 0);
    }
  });
  // Away from the pointer: a window appearing under it is sent a mouse move,
  // which would wake the loop by chance.
  POINT pointer{};
  ::GetCursorPos(&pointer);
  const RECT away = pointer.x < 400 ? RECT{600, 600, 700, 644} : RECT{0, 0, 100, 44};
  EXPECT_EQ(window.DoModal(nullptr, &away), 7);
  ::SetEvent(returned.Get());
  sender.join();
  EXPECT_FALSE(rescued) << "the loop went on waiting after it was ended";
}

TEST_F(UiModalTest, EscapeAndCloseInAMessageBoxClickCancel) {
  for (UINT step : {UINT{WM_KEYDOWN}, UINT{WM_CLOSE}}) {
    EscapableBox box(20005);
    box.first_step = step;
    box.EnableShadow(false);
    EXPECT_EQ(box.DoModal(nullptr), 2) << step;
    EXPECT_EQ(box.clicks, std::vector<int>{2}) << step;
  }
}

TEST_F(UiModalTest, EnterInAMessageBoxClicksOkAndTheViewWantsEveryKey) {
  EscapableBox box(20005);
  box.key = VK_RETURN;
  box.EnableShadow(false);
  EXPECT_EQ(box.DoModal(nullptr), IDOK);
  EXPECT_EQ(box.clicks, std::vector<int>{IDOK});
  // The view asks the dialog manager for every key, Enter and Escape
  // included, so the form's own keyboard rule decides them.
  EscapableBox probe(20005);
  probe.EnableShadow(false);
  ASSERT_NE(probe.Create(nullptr), nullptr);
  EXPECT_EQ(::SendMessageW(probe.View().Hwnd(), WM_GETDLGCODE, 0, 0),
            DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS);
  ::DestroyWindow(probe.Hwnd());
}

TEST_F(UiModalTest, MissingLayoutReturnsZeroAndReleasesTheOwner) {
  OwnerWindow owner;
  win::CUxDialogViewImplEx missing(29999);
  EXPECT_EQ(missing.DoModal(owner.Get()), 0);
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
  win::CUxDialogImpl broken(20008);
  EXPECT_EQ(broken.DoModal(owner.Get()), 0);
  EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
}

TEST_F(UiModalTest, MinimumSizeAndMaximiseRules) {
  win::CUxDialogViewImplEx resizable(20007);
  const RECT small{0, 0, 50, 40};
  ASSERT_NE(resizable.Create(nullptr, &small), nullptr);
  RECT client;
  ::GetClientRect(resizable.Hwnd(), &client);
  EXPECT_EQ(client.right, 150);
  EXPECT_EQ(client.bottom, 90);

  win::CUxDialogViewImplEx fixed(20001);
  ASSERT_NE(fixed.Create(nullptr), nullptr);
  ::ShowWindow(fixed.Hwnd(), SW_SHOWMAXIMIZED);
  EXPECT_FALSE(::IsZoomed(fixed.Hwnd()));
  ::GetClientRect(fixed.Hwnd(), &client);
  EXPECT_EQ(client.right, 300);
}

}  // namespace
}  // namespace tw::ux
