#include <windows.h>

#include <gtest/gtest.h>

#include "config/recommendation.h"
#include "install/install_rules.h"
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

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// Windows' best-fit mapping turns lookalikes into the characters they look
// like (a fullwidth quote or solidus into '"' or '/' on code page 1252), after
// the served text was checked: no conversion of ours may do that.
TEST(AnsiText, LookalikesDoNotBecomeTheCharactersTheyMimic) {
  const std::string converted = WideToCodePage(1252, L"\uFF02\uFF0F\uFF03\uFF06\uFF1D\uFF05\uFF3C\u201C");
  EXPECT_EQ(converted.find_first_of("\"/#&=%\\"), std::string::npos) << converted;
  EXPECT_EQ(WideToCodePage(1252, L"caf\u00E9"), "caf\xE9") << "what the code page holds still converts";
}

TEST(AnsiText, AFullwidthReasonAddsNoSwitchUnderCodePage1252) {
  RecommendationResult refused;
  const std::wstring reason =
      L" \uFF0Fautoinstall \uFF03\uFF03silence\uFF1D1\uFF06installpath\uFF1D\uFF02C:\uFF3Cevil\uFF02";
  const std::string prefix = WideToCodePage(1252, RecommendationSwitches(refused, reason));
  const std::string line = BuildPackageCommandLine(prefix, "C:\\Program Files\\Zorn", 0x1A2B, 1, "").text;
  SCOPED_TRACE(line);
  EXPECT_EQ(Occurrences(line, "/autoinstall"), 1u);
  EXPECT_EQ(Occurrences(line, "##"), 1u);
  EXPECT_EQ(Occurrences(line, "installpath="), 1u);
}

}  // namespace
}  // namespace tw::win
