#include "platform/win/process_objects_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win/unique_handle_win.h"

namespace tw::win {
namespace {

TEST(ProcessObjects, HandlesAreCountedAsTheyComeAndGo) {
  const unsigned long before = CountOwnHandles();
  ASSERT_GT(before, 0u) << "some source counts this process's handles";
  {
    const UniqueHandleObject events[3] = {UniqueHandleObject(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                                          UniqueHandleObject(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
                                          UniqueHandleObject(::CreateEventW(nullptr, TRUE, FALSE, nullptr))};
    EXPECT_EQ(CountOwnHandles(), before + 3);
  }
  EXPECT_EQ(CountOwnHandles(), before);
}

TEST(ProcessObjects, WindowsAndTheirChildrenAreCounted) {
  // The thread's IME window comes with its first window and goes with its
  // last, so one window stays for the whole count.
  HWND anchor = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const unsigned long before = CountOwnWindows();
  HWND top = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(top, nullptr);
  ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
  HWND messages = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  EXPECT_EQ(CountOwnWindows(), before + 3);
  ::DestroyWindow(top);
  ::DestroyWindow(messages);
  EXPECT_EQ(CountOwnWindows(), before);
  ::DestroyWindow(anchor);
}

}  // namespace
}  // namespace tw::win
