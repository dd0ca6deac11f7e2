// What the main window makes before its first paint, and what it leaves for
// after: a person sees the first page as soon as an empty window would show,
// and the notification icon, the path box, the window's icons and the
// road behind the window come right after. A window the start-up hands over
// from (a newer copy runs instead) never shows and sends no record.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/telemetry/telemetry_peer_client.h"
#include "tests/win/test_support_win.h"
#include "tests/windows/windows_test_support_win.h"
#include "windows/main_window_ids.h"

namespace tw {
namespace {

// What existed when the first frame went out, and whether the road began.
class FirstFrameWindow : public test::QuietMainWindow {
 public:
  using QuietMainWindow::QuietMainWindow;
  struct State {
    bool path_box = false;
    bool tray_icon = false;
    bool road_started = false;
  };
  int frames = 0;
  State at_first_frame;
  bool road_started = false;

  State Now() const { return {PathBox() != nullptr, Tray().Added(), road_started}; }

 protected:
  void BeforeOutput(ux::win::GdiImage& bitmap) override {
    if (frames++ == 0) at_first_frame = Now();
    QuietMainWindow::BeforeOutput(bitmap);
  }
  void StartWorker() override { road_started = true; }
};

class FirstPageTest : public testing::Test {
 protected:
  void SetUp() override {
    test::UseInstallerResources();
    TwInstallTool::SetTelemetryUrl(test::kTelemetryPeerUrl);
    test::ResetTelemetryPeer();
  }
};

TEST_F(FirstPageTest, WhatTheFirstPageDoesNotShowIsMadeAfterItsFirstFrame) {
  FirstFrameWindow window(1029, 7);
  FirstFrameWindow::State after;
  test::Script script([&] { window.EndDialog(-1); });
  script.Then([&] { return window.PathBox() != nullptr; }).Do([&] {
    after = window.Now();
    window.EndDialog(0);
  });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);

  ASSERT_GE(window.frames, 1);
  EXPECT_FALSE(window.at_first_frame.path_box);
  EXPECT_FALSE(window.at_first_frame.tray_icon);
  EXPECT_FALSE(window.at_first_frame.road_started);
  EXPECT_TRUE(after.path_box);
  EXPECT_TRUE(after.tray_icon);
  EXPECT_TRUE(after.road_started);
  EXPECT_FALSE(::IsWindowVisible(window.PathBox())) << "the path panel is folded: its box stays hidden";
}

TEST_F(FirstPageTest, AgreeingBeforeTheRestIsMadeStillTakesTheDefaultPath) {
  FirstFrameWindow window(1029, 7);
  // A click as early as one can come: the window is made, nothing after
  // its first frame is yet.
  window.ShowOnlyIf([&] {
    test::Click(window, main_window_id::kAgreeAndInstallButton);
    return true;
  });
  test::Script script([&] { window.EndDialog(-1); });
  script.Do([&] { window.EndDialog(0); });
  script.Start();
  window.DoModal(nullptr);
  EXPECT_TRUE(window.road_started);
  EXPECT_FALSE(window.InstallPath().empty()) << "the default path, from the box made for the click";
}

TEST_F(FirstPageTest, AWindowHandedOverFromNeverShowsStartsNothingAndSendsNoRecord) {
  {
    FirstFrameWindow window(1029, 7);
    window.ShowOnlyIf([] { return false; });
    EXPECT_EQ(window.DoModal(nullptr), 0);
    EXPECT_TRUE(window.LeftUnseen());
    EXPECT_EQ(window.frames, 0) << "nothing was painted";
    EXPECT_FALSE(window.road_started);
    EXPECT_FALSE(window.Tray().Added());
  }
  EXPECT_EQ(test::CountOf(test::PeerRecords(), L"\"table\":7787"), 0u) << "the copy that runs instead sends its own";
}

TEST_F(FirstPageTest, AWindowThatStaysShowsAsBefore) {
  FirstFrameWindow window(1029, 7);
  int asked = 0;
  window.ShowOnlyIf([&] { return ++asked, true; });
  test::Script script([&] { window.EndDialog(-1); });
  script.Then([&] { return window.road_started; }).Do([&] { window.EndDialog(0); });
  script.Start();
  EXPECT_EQ(window.DoModal(nullptr), 0);
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(window.LeftUnseen());
  EXPECT_GE(window.frames, 1);
}

}  // namespace
}  // namespace tw
