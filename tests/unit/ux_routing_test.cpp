// Pointer routing and hit testing against a host that records what the real
// window would have done.
#include <gtest/gtest.h>

#include "tests/unit/quiet_pointer_host.h"
#include "tests/unit/ux_test_world.h"
#include "ui/controls/control_factory.h"
#include "ui/hosts/hit_code.h"
#include "ui/layout/pointer_router.h"

namespace tw::ux {
namespace {

using test::UxWorld;

class RecordingHost : public test::QuietPointerHost {
 public:
  std::vector<std::string> events;
  int hit_code = 1;
  bool minimized = false;

  void CapturePointer() override { events.push_back("capture"); }
  void ReleasePointer() override { events.push_back("release"); }
  void StartWindowMove() override { events.push_back("move"); }
  void StartResize(int code) override { events.push_back("resize " + std::to_string(code)); }
  void ToggleMaximized() override { events.push_back("maximize"); }
  bool IsMinimized() const override { return minimized; }
  void OpenLink(std::wstring_view /*href*/) override { events.push_back("open"); }
  void Notify(uint32_t code, int id, const char* tag) override {
    static const std::map<uint32_t, std::string> names = {{UXN_CLICK, "click"},           {UXN_POINTER_ENTER, "enter"},
                                                          {UXN_POINTER_LEAVE, "leave"},   {UXN_PRESS, "press"},
                                                          {UXN_DOUBLE_CLICK, "dblclick"}, {UXN_RIGHT_PRESS, "rpress"},
                                                          {UXN_RIGHT_RELEASE, "rrelease"}};
    events.push_back(names.at(code) + " " + std::to_string(id) + (tag ? std::string(" ") + tag : ""));
  }
  int LastHitCode() const override { return hit_code; }
};

class UxRoutingTest : public ::testing::Test {
 protected:
  UxWorld world;
  CUxControlCreator creator;
  UxLayout layout{HostForm::kTopLevel};
  RecordingHost host;
  UxPointerRouter router{layout, host, HostForm::kTopLevel};

  void SetUp() override {
    layout.SetCreator(&creator);
    ASSERT_TRUE(layout.Parse(R"(<layer width="300" height="200" resize="1"><header height="40">
        <text id="10" pos="0,0,100,40">drag me</text>
        <dlgbtnEx2 id="11" pos="100,0,200,40"><text id="12" pos="0,0,-0,-0">inside</text></dlgbtnEx2>
        <img id="13" pos="200,0,300,40" headacceptlbtndownmsg="1"/>
      </header><body>
        <dlgbtnEx2 id="20" pos="0,0,100,50"/>
        <link id="21" pos="100,0,200,50" href="https://example.invalid/"/>
        <dlgbtnEx2 id="0" pos="200,0,300,50"/>
        <dlgbtnEx2 id="22" pos="0,60,100,110"/>
        <text id="30" pos="100,60,200,110"/><text id="31" pos="150,60,250,110"/>
        <text id="32" pos="150,60,200,110" float="1" transparent="1"/>
        <text id="33" pos="120,60,140,110" float="1"/>
      </body></layer>)"));
    layout.LayoutAll({0, 0, 300, 200});
  }
  UxHandle Handle(int id) { return layout.FindControlById(id)->Handle(); }
  std::vector<std::string> Take() { return std::exchange(host.events, {}); }
};

TEST_F(UxRoutingTest, HeaderPressDragsOnTextAndClicksOnButtons) {
  router.OnLButtonDown(50, 20, 0, 0);
  EXPECT_EQ(Take(), std::vector<std::string>{"move"});
  router.OnLButtonDown(150, 20, 0, 0);  // the dlgbtnEx2, not its inner text
  router.OnLButtonUp(150, 20, 0, 0);
  EXPECT_EQ(Take(), (std::vector<std::string>{"capture", "press 11", "release", "click 11 dlgbtnEx2"}));
  router.OnLButtonDown(250, 20, 0, 0);  // headacceptlbtndownmsg keeps the press for the control
  EXPECT_EQ(Take(), (std::vector<std::string>{"capture", "press 13"}));
  router.OnLButtonUp(250, 20, 0, 0);
  host.minimized = true;
  Take();
  router.OnLButtonDown(50, 20, 0, 0);
  EXPECT_TRUE(Take().empty());
}

// Body controls sit 40 pixels down, below the header.
TEST_F(UxRoutingTest, PressMoveOffReleaseGivesPressLeaveAndNoClick) {
  router.OnMouseMove(50, 120, 0, 0);
  router.OnLButtonDown(50, 120, 0, 0);
  router.OnMouseMove(150, 190, 0, 0);  // while pushed only the pushed control hears moves
  router.OnLButtonUp(150, 190, 0, 0);
  EXPECT_EQ(Take(), (std::vector<std::string>{"enter 22", "capture", "press 22", "release", "leave 22"}));
}

TEST_F(UxRoutingTest, LinksOpenWithoutClickAndIdZeroNeverClicks) {
  router.OnLButtonDown(150, 60, 0, 0);
  router.OnLButtonUp(150, 60, 0, 0);
  router.OnLButtonDown(250, 60, 0, 0);
  router.OnLButtonUp(250, 60, 0, 0);
  EXPECT_EQ(Take(),
            (std::vector<std::string>{"capture", "press 21", "release", "open", "capture", "press 0", "release"}));
}

TEST_F(UxRoutingTest, DisabledControlsGetEnterButNoHoverOrPress) {
  ASSERT_TRUE(layout.EnableControl(20, false));
  router.OnMouseMove(50, 50, 0, 0);
  EXPECT_FALSE(layout.FindControlById(20)->State() & kStateHover);
  router.OnLButtonDown(50, 50, 0, 0);
  router.OnLButtonUp(50, 50, 0, 0);
  EXPECT_EQ(Take(), std::vector<std::string>{"enter 20"});
  ASSERT_TRUE(layout.EnableControl(20, true));
  router.OnMouseMove(50, 170, 0, 0);  // over the empty body: the body itself is hovered
  router.OnMouseMove(50, 50, 0, 0);
  EXPECT_TRUE(layout.FindControlById(20)->State() & kStateHover);
  EXPECT_EQ(Take(), (std::vector<std::string>{"enter 0", "leave 20", "enter 20", "leave 0"}));
}

TEST_F(UxRoutingTest, HitTestingPrefersLaterFloatingAndNeverTransparent) {
  EXPECT_EQ(layout.HitTest(160, 120), Handle(31));  // later sibling over 30
  EXPECT_EQ(layout.HitTest(125, 120), Handle(33));  // floating over 30
  EXPECT_EQ(layout.HitTest(170, 120), Handle(31));  // 32 is transparent
  EXPECT_EQ(layout.HitTest(150, 20), Handle(11));   // a dlgbtn answers for its children
  EXPECT_EQ(layout.HitTest(400, 20), 0u);
}

TEST_F(UxRoutingTest, ResizeBandAndLeaveReportThePushedControl) {
  host.hit_code = HostHitCode({0, 0, 300, 200}, 2, 2, true, false);
  EXPECT_EQ(host.hit_code, 13);
  EXPECT_EQ(CursorForHitCode(13), SizingCursor::kNorthWestSouthEast);
  router.OnLButtonDown(2, 2, 0, 0);
  EXPECT_EQ(Take(), std::vector<std::string>{"resize 13"});
  host.hit_code = 1;
  router.OnLButtonDown(50, 120, 0, 0);
  router.OnMouseLeave();
  EXPECT_EQ(Take(), (std::vector<std::string>{"capture", "press 22", "leave 22"}));
  EXPECT_FALSE(layout.FindControlById(22)->State() & kStatePushed);
}

TEST_F(UxRoutingTest, DoubleClickInTheHeaderMaximisesAResizableWindow) {
  router.OnLButtonDblClk(50, 20, 0, 0);
  router.OnLButtonDblClk(150, 20, 0, 0);  // dlgbtnEx2 is not in the double-click list
  router.OnLButtonDblClk(50, 120, 0, 0);
  router.OnRButtonDown(50, 120, 0, 0);
  router.OnRButtonUp(50, 120, 0, 0);
  EXPECT_EQ(Take(), (std::vector<std::string>{"maximize", "maximize", "dblclick 22 dlgbtnEx2", "capture", "rpress 22",
                                              "release", "rrelease 22"}));
}

TEST(UxHandles, AreNeverReused) {
  UxWorld world;
  UxHandle last = 0;
  for (int i = 0; i < 3; ++i) {
    CUxDialog dialog;
    EXPECT_GT(dialog.Handle(), last);
    last = dialog.Handle();
    EXPECT_EQ(UxHandleRegistry::Instance().Find(last), &dialog);
  }
  EXPECT_EQ(UxHandleRegistry::Instance().Find(last), nullptr);
}

TEST(UxHostHitCode, BandsAndCorners) {
  const UxRect client{0, 0, 100, 80};
  EXPECT_EQ(HostHitCode(client, 50, 40, true, false), 1);
  EXPECT_EQ(HostHitCode(client, 99, 0, true, false), 14);
  EXPECT_EQ(HostHitCode(client, 0, 79, true, false), 16);
  EXPECT_EQ(HostHitCode(client, 99, 79, true, false), 17);
  EXPECT_EQ(HostHitCode(client, 50, 78, true, false), 15);
  EXPECT_EQ(HostHitCode(client, 97, 40, true, false), 11);
  EXPECT_EQ(HostHitCode(client, 0, 0, false, false), 1);
  EXPECT_EQ(HostHitCode(client, 0, 0, true, true), 1);
}

}  // namespace
}  // namespace tw::ux
