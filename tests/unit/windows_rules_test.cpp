// The installer windows' rules: path validation codes against chosen drives,
// progress and tooltip texts, the simulated percentage, the message boxes'
// flags and results, and the animator's frames.
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

#include "windows/animator_rules.h"
#include "windows/install_path.h"
#include "install/road_codes.h"
#include "windows/main_window_rules.h"
#include "windows/message_box_rules.h"

namespace tw {
namespace {

// Drives by root: C: fixed with 2 GiB, D: fixed with 1023 MiB, E: fixed with
// exactly 1024 MiB, F: fixed whose query fails, N: network; one read-only file.
class FakeDrives : public IPathQueries {
 public:
  std::optional<uint32_t> Attributes(const std::wstring& path) const override {
    if (path == L"C:\\readonly.txt") return 0x1;
    if (path == L"C:\\Windows") return 0x10;
    return std::nullopt;
  }
  DriveKind DriveType(const std::wstring& root) const override {
    return root.size() == 3 && root[1] == L':' && root[2] == L'\\' && root[0] != L'N' ? DriveKind::kFixed
                                                                                      : DriveKind::kOther;
  }
  std::optional<uint64_t> FreeBytes(const std::wstring& root) const override {
    switch (root[0]) {
      case L'C': return uint64_t{2} << 30;
      case L'D': return uint64_t{1023} << 20;
      case L'E': return uint64_t{1024} << 20;
      default: return std::nullopt;
    }
  }
};

TEST(InstallPath, ValidationCodes) {
  const FakeDrives drives;
  const std::wstring long_path = L"C:\\" + std::wstring(147, L'a') /* 150 characters */;
  struct Case {
    std::wstring path;
    int code;
  } cases[] = {
      {L"C:", kPathUnusable},
      {L"C:\\", kPathOk},
      {L"C:\\readonly.txt", kPathUnusable},
      {L"C:\\Windows", kPathOk},
      {L"N:\\share\\x", kPathNoDrive},
      {L"Q?\\x", kPathNoDrive},
      {L"C:\\a:b", kPathIllegalCharacters},
      {L"C:\\Program Files\\a?b", kPathIllegalCharacters},
      {L"D:\\x", kPathNoSpace},
      {L"E:\\x", kPathOk},
      {L"F:\\x", kPathNoSpace},
      {long_path + L"x", kPathTooLong},
      {long_path, kPathOk},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidateInstallPath(c.path, drives), c.code) << c.path.size();
}

TEST(InstallPath, DefaultBrowsedAndErrorPlacement) {
  EXPECT_EQ(DefaultInstallPath(L"C:\\Program Files"), L"C:\\Program Files\\tarnwick\\tarnwick antivirus\\");
  EXPECT_EQ(DefaultInstallPath(L""), L"c:\\program files\\tarnwick\\tarnwick antivirus\\");
  EXPECT_EQ(BrowsedInstallPath(L"D:\\"), L"D:\\tarnwick antivirus\\");
  EXPECT_EQ(BrowsedInstallPath(L"D:\\Apps"), L"D:\\Apps\\tarnwick antivirus\\");
  const PathErrorPositions positions = PathErrorLayout(180);
  EXPECT_EQ(positions.text, "24,42,204,58");
  EXPECT_EQ(positions.link, "206,42,266,58");
}

TEST(MainWindowRules, ProgressTexts) {
  EXPECT_EQ(SpeedText(1024), L"1024K");
  EXPECT_EQ(SpeedText(1536), L"1.5M");
  EXPECT_EQ(DownloadProgressText(40, 12), L"已下载 40%，下载速度 12K/秒");
  EXPECT_EQ(DownloadProgressText(60, 0, true), L"继续下载 60%，下载速度 0K/秒");
  EXPECT_EQ(InstallProgressText(85), L"下载完成，正在安装 85%");
  EXPECT_EQ(TooltipText(kTipDownloading, 7), L"已下载：7%");
  EXPECT_EQ(TooltipText(kTipInstalling, 50), L"已安装：50%");
  EXPECT_EQ(TooltipText(kTipInstallFailed, 0), L"安装失败");
  EXPECT_STREQ(FailedPageFor(kFailedNetwork).text, L"当前网络断开，请稍后重试");
  EXPECT_STREQ(FailedPageFor(kFailedRebootPending).text, L"卸载Zorn后尚未重启电脑，请重启后再安装");
  EXPECT_STREQ(FailedPageFor(kFailedInstall).button, L"联系客服");
  EXPECT_STREQ(FailedPageFor(FailedPageKindFor(road::kWebPageInsteadOfPackage)).text,
               L"当前网络需要先登录认证，请在浏览器中登录后重试");
  EXPECT_STREQ(FailedPageFor(FailedPageKindFor(road::kNotEnoughSpace)).text, L"磁盘空间不足，请清理磁盘后重试");
  EXPECT_STREQ(FailedPageFor(FailedPageKindFor(road::kDownloadFailed)).text, L"当前网络断开，请稍后重试");
  EXPECT_EQ(BannerSkin(3), "mainbg_banner3");
}

TEST(MainWindowRules, TooltipsOnlyGoForward) {
  TooltipOrder order;
  EXPECT_TRUE(order.Apply(kTipDownloading));
  EXPECT_TRUE(order.Apply(kTipDownloading));
  EXPECT_TRUE(order.Apply(kTipInstalling));
  EXPECT_FALSE(order.Apply(kTipDownloaded));
  EXPECT_EQ(order.Largest(), kTipInstalling);
}

TEST(MainWindowRules, SimulatedPercentHoldsAtEachUnreportedStage) {
  bool stages[5] = {};
  bool finished = false;
  int percent = 0;
  for (int tick = 0; tick < 100; ++tick) percent = NextSimulatedPercent(percent, stages, 4, finished);
  EXPECT_EQ(percent, 10);  // no stage reported: 10 % forever
  stages[0] = true;
  for (int tick = 0; tick < 100; ++tick) percent = NextSimulatedPercent(percent, stages, 4, finished);
  EXPECT_EQ(percent, 20);
  stages[1] = stages[2] = stages[3] = true;
  for (int tick = 0; tick < 100; ++tick) percent = NextSimulatedPercent(percent, stages, 0, finished);
  EXPECT_EQ(percent, 100);  // held at 100 until stage 5
  EXPECT_FALSE(finished);
  stages[4] = true;
  EXPECT_EQ(NextSimulatedPercent(percent, stages, 0, finished), 100);
  EXPECT_TRUE(finished);
  EXPECT_EQ(NextSimulatedPercent(0, stages, 7, finished), 3);  // 1 + 7 mod 5
}

TEST(MessageBoxRules, LinesFlagsResultsAndIcons) {
  const MessageLines one = SplitMessageText(L"a line");
  EXPECT_FALSE(one.two_lines);
  const MessageLines two = SplitMessageText(L"first\nsecond\nthird");
  EXPECT_TRUE(two.two_lines);
  EXPECT_EQ(two.first, L"first");
  EXPECT_EQ(two.second, L"second\nthird");

  const BoxControls none = ControlsForFlags(0);
  EXPECT_FALSE(none.left_button || none.right_button || none.first_link || none.second_link);
  const BoxControls five = ControlsForFlags(5);
  EXPECT_TRUE(five.left_button);
  EXPECT_FALSE(five.first_link);
  const BoxControls links = ControlsForFlags(kBoxFirstLink | kBoxSecondLink | kBoxCheck);
  EXPECT_TRUE(links.first_link && links.second_link && links.check);

  EXPECT_EQ(BoxResult(BoxCloser::kRight, true, true), 0x12);
  EXPECT_EQ(BoxResult(BoxCloser::kClose, false, true), 32);
  EXPECT_EQ(BoxResult(BoxCloser::kLeft, true, false), 1);
  EXPECT_STREQ(NewBoxIconSkin(2), "circle_blue_i");
  EXPECT_STREQ(NewBoxIconSkin(9), "circle_blue_question");
}

TEST(AnimatorRules, GeometryAndFrames) {
  const AnimatorGeometry geometry = ComputeAnimatorGeometry({100, 100, 500, 280});  // a 400 x 180 box
  EXPECT_EQ(geometry.snapshot.Width(), 408);
  EXPECT_EQ(geometry.horizontal_margin, 102);
  EXPECT_EQ(geometry.window.left, 96 - 51);
  EXPECT_EQ(geometry.window.Width(), 408 + 2 * 51);
  const AnimatorFrame first = OpeningFrame(geometry, 1, kAnimatorFrames);
  const AnimatorFrame last = OpeningFrame(geometry, 12, kAnimatorFrames);
  EXPECT_EQ(last.width, geometry.window.Width() - geometry.horizontal_margin);
  EXPECT_EQ(last.opacity, 240);
  EXPECT_EQ(first.opacity, (8 * 240) / 100);
  EXPECT_EQ(ClosingFrame(geometry, 12, 12).opacity, 15);
  EXPECT_EQ(ClosingFrame(geometry, 12, 12).width, 0);
  EXPECT_EQ(ClosingFrame(geometry, 13, 12).opacity, 0);
  EXPECT_EQ(ClosingFrame(geometry, 1, 12).opacity, 255 - 19);
}

// The customer-service link comes from a file beside the installer, where
// anyone can drop one: only web addresses are opened.
TEST(CustomerServiceLinkRule, OnlyWebAddressesAreOpened) {
  const struct {
    const wchar_t* link;
    bool opened;
  } cases[] = {
      {L"https://chat.example.com/FDdK6y0s?_type=wpa&qidian=true", true},
      {L"HTTP://chat.example.com/x", true},
      {L"C:\\Windows\\System32\\calc.exe", false},
      {L"calc.exe", false},
      {L"file:///C:/Windows/System32/calc.exe", false},
      {L"\\\\server\\share\\tool.exe", false},
      {L"https://\\\\server\\share", false},
      {L"http:///C:/x.exe", false},
      {L"https://host/a\" -nohome \"b", false},
      {L"https://host/a b", false},
      {L"https://host/\nx", false},
      {L"javascript:alert(1)", false},
      {L"https://", false},
      {L"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsWebLink(c.link), c.opened) << std::string(c.link, c.link + std::wcslen(c.link));
  }
}

}  // namespace
}  // namespace tw
