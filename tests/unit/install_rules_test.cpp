#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "install/install_rules.h"
#include "config/recommendation.h"
#include "platform/text.h"

namespace tw {
namespace {

TEST(AbRange, DrawAdmission) {
  struct Case {
    const char* range;
    int draw;
    bool admitted;
  } cases[] = {
      {"30,60", 30, true},     {"30,60", 60, true}, {"30,60", 61, false},
      {"30,60", 29, false},    {"", 1, true},       // no range
      {"30", 99, true},                             // one piece
      {"a,b", 99, true},                            // neither piece is a number
      {"30,x", 99, false},                          // one numeric piece is enough: high reads 0
      {",,30,,60,", 45, true},                      // empty pieces dropped
      {"30,60x", 60, true},                         // leading digits of the second piece
      {"30, 60", 45, true},                         // blanks before a number
      {" 30,\t60", 61, false}, {"30, ", 45, true},  // a piece of blanks only is empty: one piece
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.range << " draw " << c.draw);
    EXPECT_EQ(IsInAbRange(c.range, c.draw), c.admitted);
  }
}

TEST(PackageCommandLine, ExactText) {
  EXPECT_EQ(BuildPackageCommandLine("", "C:\\Program Files\\Zorn", 0x1A2B, 1, "").text,
            "/autoinstall ##silence=0&installpath=\"C:\\Program Files\\Zorn\"&hwnd=1a2b&noshowinstalldlg=1");
  const PackageCommandLine line =
      BuildPackageCommandLine("/rcmdfromtwinst /rcmdCanRcmd=0", "D:\\Z", 0xff, 0, "a=1&b=2");
  EXPECT_EQ(line.text,
            "/rcmdfromtwinst /rcmdCanRcmd=0 /autoinstall ##silence=0&installpath=\"D:\\Z\"&hwnd=ff"
            "&noshowinstalldlg=0&a=1&b=2");
  EXPECT_EQ(line.noInstallDialog, 0);
  EXPECT_EQ(PackageCacheValueName(1029, 7, 2), L"PacketPath_1029_7_2");
}

// The arguments a Windows program sees (CommandLineToArgvW's rules: blanks
// part them outside quotes; 2n backslashes before a quote are n and the
// quote delimits, 2n+1 are n and a literal quote).
std::vector<std::string> Arguments(const std::string& line) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false, any = false;
  for (size_t i = 0; i < line.size(); ++i) {
    size_t slashes = 0;
    while (i < line.size() && line[i] == '\\') ++slashes, ++i;
    if (i < line.size() && line[i] == '"') {
      current.append(slashes / 2, '\\');
      any = true;
      if (slashes % 2 == 1) current += '"';
      else quoted = !quoted;
      continue;
    }
    current.append(slashes, '\\');
    if (i == line.size()) break;
    if (line[i] == ' ' && !quoted) {
      if (any || !current.empty()) arguments.push_back(current);
      current.clear();
      any = false;
    } else {
      current += line[i];
    }
  }
  if (any || !current.empty()) arguments.push_back(current);
  return arguments;
}

size_t CountStartingWith(const std::vector<std::string>& arguments, const std::string& prefix) {
  return static_cast<size_t>(
      std::count_if(arguments.begin(), arguments.end(), [&](const std::string& a) { return a.rfind(prefix, 0) == 0; }));
}

// The recommendation file is masked, not signed: its reason must not reach
// the product installer able to add switches or change the install path.
size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

TEST(PackageCommandLine, AServedReasonCannotAddSwitches) {
  for (const std::wstring& reason :
       {std::wstring(L"x\" /autoinstall ##silence=1&installpath=\"C:\\evil\" /rcmdreason=\"y"), std::wstring(L"x\\"),
        std::wstring(L"a\r\n/autoinstall\tb\\\\"), std::wstring(L" /autoinstall ##silence=1&installpath='C:\\evil'")}) {
    RecommendationResult refused;
    refused.scene = 3;
    const std::wstring switches = RecommendationSwitches(refused, reason);
    const std::string prefix(switches.begin(), switches.end());  // ASCII throughout
    const std::string line = BuildPackageCommandLine(prefix, "C:\\Program Files\\Zorn", 0x1A2B, 1, "").text;
    SCOPED_TRACE(line);
    const std::vector<std::string> arguments = Arguments(line);
    EXPECT_EQ(CountStartingWith(arguments, "/autoinstall"), 1u);
    EXPECT_EQ(CountStartingWith(arguments, "/rcmdreason="), 1u);
    EXPECT_EQ(CountStartingWith(arguments, "/rcmdCanRcmd=0"), 1u) << "the switches after the reason stay switches";
    EXPECT_EQ(CountStartingWith(arguments, "##silence=0&installpath=C:\\Program Files\\Zorn&hwnd=1a2b"), 1u);
    // The product installer is not ours: a reader that searches the raw
    // line, not its arguments, must find only the real switches too.
    EXPECT_EQ(Occurrences(line, "/autoinstall"), 1u);
    EXPECT_EQ(Occurrences(line, "##"), 1u);
    EXPECT_EQ(Occurrences(line, "installpath="), 1u);
  }
}

TEST(QuotableText, KeepsWhatAReasonNeeds) {
  EXPECT_EQ(QuotableText(L"网络连接失败 (code 12), retry later: ok!"), L"网络连接失败 (code 12), retry later: ok!");
  EXPECT_EQ(QuotableText(L"a/b\\c#d&e=f%g\"h'i\r\nj"), L"abcdefghij");
}

TEST(ProcessStarterRules, TheFirstActiveSessionNotTheConsole) {
  EXPECT_EQ(FirstActiveSession({{0, false}, {1, false}, {3, true}, {5, true}}), 3u)
      << "a remote desktop user: the console session 1 is not the active one";
  EXPECT_EQ(FirstActiveSession({{0, false}}), std::nullopt);
  EXPECT_EQ(FirstActiveSession({}), std::nullopt);
}

TEST(ProcessStarterRules, EveryVersionWithUserAccountControlHasLinkedTokens) {
  for (const auto& [major, linked] : {std::pair<uint32_t, bool>{5, false}, {6, true}, {10, true}, {11, true}}) {
    EXPECT_EQ(HasLinkedTokens(major), linked) << major;
  }
}

}  // namespace
}  // namespace tw
