#include <gtest/gtest.h>

#include "app/install_rules.h"

namespace tw {
namespace {

TEST(AbRange, DrawAdmission) {
  struct Case {
    const char* range;
    int draw;
    bool admitted;
  } cases[] = {
      {"30,60", 30, true}, {"30,60", 60, true}, {"30,60", 61, false}, {"30,60", 29, false},
      {"", 1, true},        // no range
      {"30", 99, true},     // one piece
      {"a,b", 99, true},    // neither piece is a number
      {"30,x", 99, false},  // one numeric piece is enough: high reads 0
      {",,30,,60,", 45, true},  // empty pieces dropped
      {"30,60x", 60, true},     // leading digits of the second piece
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.range << " draw " << c.draw);
    EXPECT_EQ(IsInAbRange(c.range, c.draw), c.admitted);
  }
}

TEST(PackageCommandLine, ExactText) {
  EXPECT_EQ(BuildPackageCommandLine("", "C:\\Program Files\\Zorn", 0x1A2B, 1, "").text,
            "/autoinstall ##silence=0&installpath=\"C:\\Program Files\\Zorn\"&hwnd=1a2b&noshowinstalldlg=1");
  const PackageCommandLine line = BuildPackageCommandLine("/rcmdfromtwinst /rcmdCanRcmd=0", "D:\\Z", 0xff, 0, "a=1&b=2");
  EXPECT_EQ(line.text, "/rcmdfromtwinst /rcmdCanRcmd=0 /autoinstall ##silence=0&installpath=\"D:\\Z\"&hwnd=ff"
                       "&noshowinstalldlg=0&a=1&b=2");
  EXPECT_EQ(line.noInstallDialog, 0);
  EXPECT_EQ(PackageCacheValueName(1029, 7, 2), L"PacketPath_1029_7_2");
}

}  // namespace
}  // namespace tw
