#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win/ansi_text_win.h"

namespace tw::win {
namespace {

// The users' machines run code page 936; so does the test prefix.
TEST(AnsiText, ConvertsThroughGbk) {
  ASSERT_EQ(::GetACP(), 936u);
  EXPECT_EQ(WideToAnsi(L"中文 log"), "\xD6\xD0\xCE\xC4 log");
  EXPECT_EQ(AnsiToWide("\xD6\xD0\xCE\xC4 log"), L"中文 log");
  EXPECT_EQ(WideToAnsi(L""), "");
  EXPECT_EQ(AnsiToWide(""), L"");
}

}  // namespace
}  // namespace tw::win
