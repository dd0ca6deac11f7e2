// The keyboard's way through a layout and what a screen reader is told of
// it: the order Tab follows, what activating a control does, and the
// elements with their roles, names and states.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/unit/quiet_pointer_host.h"
#include "tests/unit/ux_test_world.h"
#include "ui/layout/accessible_tree.h"
#include "ui/controls/control_factory.h"
#include "ui/layout/focus_order.h"
#include "ui/layout/pointer_router.h"

namespace tw::ux {
namespace {

using test::UxWorld;

class ClickRecorder : public test::QuietPointerHost {
 public:
  std::vector<std::string> events;
  void OpenLink(std::wstring_view) override { events.push_back("open"); }
  void Notify(uint32_t code, int id, const char*) override {
    if (code == UXN_CLICK) events.push_back("click " + std::to_string(id));
  }
};

// A window like the installer's: buttons in the header, a page of buttons
// and links, a panel with an edit box, a hidden page and decoration.
constexpr char kWindow[] = R"(<layer width="400" height="300"><header width="full" height="full"><dlg pos="0,0,-0,-0">
    <img pos="0,0,-0,100"/>
    <imgbtn id="2" pos="-70,9,-46,33" tabindex="1" name="最小化"/>
    <imgbtn id="1" pos="-40,9,-16,33" tabindex="1" tip="关闭"/>
    <dlg id="100" pos="0,100,-0,-0">
      <dlgbtnEx2 id="1011" pos="10,10,110,40"><text pos="0,0,-0,-0">同意并安装</text></dlgbtnEx2>
      <text pos="120,10,200,30">阅读</text>
      <link id="160" pos="200,10,260,30" href="https://pages.invalid/licence">许可协议</link>
      <dlgbtnEx2 id="0" pos="270,10,300,30"/>
      <dlgbtnEx2 id="161" pos="300,10,330,30" show="0"/>
      <realwnd id="106" pos="10,50,200,70"/>
      <dlgbtnEx2 id="104" pos="210,50,260,70"><text pos="0,0,-0,-0">浏览</text></dlgbtnEx2>
      <imgbtn id="170" group="g" pos="270,50,290,70" name="记住"/>
      <progress id="206" pos="10,90,-10,94" min="0" max="100" value="37"/>
    </dlg>
    <dlg id="200" pos="0,100,-0,-0" show="0">
      <dlgbtnEx2 id="201" pos="10,10,110,40"><text pos="0,0,-0,-0">完成</text></dlgbtnEx2>
    </dlg>
  </dlg></header></layer>)";

class UxKeyboardTest : public ::testing::Test {
 protected:
  UxWorld world;
  CUxControlCreator creator;
  UxLayout layout{HostForm::kTopLevel};
  ClickRecorder host;
  UxPointerRouter router{layout, host, HostForm::kTopLevel};

  void SetUp() override {
    layout.SetCreator(&creator);
    ASSERT_TRUE(layout.Parse(kWindow));
    layout.LayoutAll({0, 0, 400, 300});
  }
  UxHandle Handle(int id) { return layout.FindControlById(id)->Handle(); }
  std::vector<int> OrderIds() {
    std::vector<int> ids;
    for (UxHandle handle : KeyboardOrder(layout, {0, 0, 400, 300}))
      ids.push_back(UxHandleRegistry::Instance().Find(handle)->Id());
    return ids;
  }
  std::map<std::wstring, AccessibleElement> ElementsByName() {
    std::map<std::wstring, AccessibleElement> named;
    for (AccessibleElement& e : AccessibleElements(layout, 0, {0, 0, 400, 300})) {
      if (!e.name.empty()) named[e.name] = e;
    }
    return named;
  }
};

TEST_F(UxKeyboardTest, TabFollowsTheLayoutAndTabindexOverShownEnabledClickableControls) {
  // The header's buttons carry tabindex 1, so the page comes first; hidden
  // pages, controls with nothing to do and decoration are never reached.
  EXPECT_EQ(OrderIds(), (std::vector<int>{1011, 160, 106, 104, 170, 2, 1}));
  std::vector<int> on_a_shorter_window;
  for (UxHandle handle : KeyboardOrder(layout, {0, 0, 400, 150})) {
    on_a_shorter_window.push_back(UxHandleRegistry::Instance().Find(handle)->Id());
  }
  EXPECT_EQ(on_a_shorter_window, (std::vector<int>{1011, 160, 2, 1})) << "what lies below the window's edge";
  layout.EnableControl(104, false);
  layout.ShowControl(100, false);
  layout.ShowControl(200, true);
  EXPECT_EQ(OrderIds(), (std::vector<int>{201, 2, 1}));
}

TEST_F(UxKeyboardTest, NextWrapsAtBothEndsAndStartsFromEitherEnd) {
  const std::vector<UxHandle> order{11, 12, 13};
  EXPECT_EQ(NextInKeyboardOrder(order, 0, true), 11u);
  EXPECT_EQ(NextInKeyboardOrder(order, 0, false), 13u);
  EXPECT_EQ(NextInKeyboardOrder(order, 13, true), 11u);
  EXPECT_EQ(NextInKeyboardOrder(order, 11, false), 13u);
  EXPECT_EQ(NextInKeyboardOrder(order, 12, true), 13u);
  EXPECT_EQ(NextInKeyboardOrder(order, 99, true), 11u) << "a control gone from the order starts anew";
  EXPECT_EQ(NextInKeyboardOrder({}, 11, true), 0u);
}

TEST_F(UxKeyboardTest, ActivatingDoesWhatAClickDoes) {
  router.Activate(Handle(1011));
  router.Activate(Handle(160));
  router.Activate(Handle(170));
  EXPECT_EQ(host.events, (std::vector<std::string>{"click 1011", "open", "click 170"}));
  EXPECT_TRUE(layout.IsControlChecked(170)) << "a group's image button checks itself as on a click";
  host.events.clear();
  layout.EnableControl(1011, false);
  router.Activate(Handle(1011));
  router.Activate(Handle(201));  // on the hidden page
  EXPECT_TRUE(host.events.empty());
}

TEST_F(UxKeyboardTest, ElementsHaveRolesNamesStatesAndValues) {
  layout.SetControlChecked(170, true);
  layout.EnableControl(104, false);
  auto named = ElementsByName();
  const std::map<std::wstring, AccessibleRole> roles{
      {L"最小化", AccessibleRole::kPushButton},     {L"关闭", AccessibleRole::kPushButton},
      {L"同意并安装", AccessibleRole::kPushButton}, {L"阅读", AccessibleRole::kStaticText},
      {L"许可协议", AccessibleRole::kLink},         {L"浏览", AccessibleRole::kPushButton},
      {L"记住", AccessibleRole::kCheckButton}};
  for (const auto& [name, role] : roles) {
    ASSERT_EQ(named.count(name), 1u) << "no element named " << testing::PrintToString(name);
    EXPECT_EQ(named[name].role, role) << testing::PrintToString(name);
  }
  EXPECT_EQ(named.size(), roles.size()) << "no caption twice, no decoration, nothing hidden";
  const std::vector<AccessibleElement> all = AccessibleElements(layout, 0, {0, 0, 400, 300});
  ASSERT_EQ(all.size(), roles.size() + 3) << "and the unnamed button, the edit box and the progress bar";
  EXPECT_EQ(all.back().role, AccessibleRole::kProgressBar);
  EXPECT_EQ(all.back().value, L"37%");
  EXPECT_EQ(named[L"同意并安装"].default_action, L"按下");
  EXPECT_EQ(named[L"同意并安装"].rect, (UxRect{10, 110, 110, 140}));
  EXPECT_TRUE(named[L"浏览"].unavailable);
  EXPECT_TRUE(named[L"记住"].checked);
  EXPECT_FALSE(named[L"阅读"].focusable);

  const std::optional<AccessibleElement> focused = DescribeControl(*layout.FindControlById(1011), Handle(1011));
  ASSERT_TRUE(focused);
  EXPECT_TRUE(focused->focused);
  layout.ShowControl(100, false);
  EXPECT_TRUE(DescribeControl(*layout.FindControlById(1011), 0)->invisible);
  const std::optional<AccessibleElement> edit = DescribeControl(*layout.FindControlById(106), 0);
  ASSERT_TRUE(edit);
  EXPECT_EQ(edit->real_window_id, 106) << "the edit box describes itself";
}

}  // namespace
}  // namespace tw::ux
