// Layout documents, the position grammar and placement, with the worked
// examples of this program's own windows.
#include <gtest/gtest.h>

#include "tests/unit/ux_test_world.h"
#include "ui/controls/control_factory.h"
#include "ui/layout/layout.h"
#include "ui/base/position.h"
#include "ui/base/string_table.h"

namespace tw::ux {
namespace {

using test::UxWorld;

UxRect R(int l, int t, int r, int b) { return {l, t, r, b}; }

TEST(UxPosition, ItemsFlagsAndCounts) {
  struct Case {
    const char* text;
    int count;
    PosCoordinate first, third;
  } cases[] = {
      {"0,0,-0,-0", 4, {false, false, 0}, {false, true, 0}},
      {"|-10,|10", 2, {true, true, 10}, {}},
      {"10,5,w60,20", 4, {false, false, 10}, {false, false, 70}},
      {"w10,5,60,20", 4, {false, false, 10}, {false, false, 60}},  // "w" only counts on item 3
      {"1,2,3", 0, {false, false, 1}, {false, false, 3}},          // kept, but not a size rule
      {"7", 0, {false, false, 7}, {}},
      {"1,2,3,4,5,6", 4, {false, false, 1}, {false, false, 3}},
      {"abc,def", 2, {}, {}},
      {"99999999999,1", 2, {false, false, kMaxCoordinate}, {}},  // clamped to the coordinate range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const ParsedPosition parsed = ParsePosition(c.text);
    EXPECT_EQ(parsed.count, c.count);
    EXPECT_EQ(parsed.items[0].center, c.first.center);
    EXPECT_EQ(parsed.items[0].from_far, c.first.from_far);
    EXPECT_EQ(parsed.items[0].number, c.first.number);
    EXPECT_EQ(parsed.items[2].number, c.third.number);
  }
  EXPECT_EQ(ParsePosition("10,5,60,h20").items[3].number, 25);
}

TEST(UxPosition, ResolvingAgainstAnAxis) {
  EXPECT_EQ(ResolveCoordinate({false, false, 0}, 10, 111), 10);  // 0 is the near edge
  EXPECT_EQ(ResolveCoordinate({false, true, 0}, 10, 111), 111);  // -0 the far edge
  EXPECT_EQ(ResolveCoordinate({true, true, 10}, 0, 101), 40);    // |-10: left of the middle (50)
  EXPECT_EQ(ResolveCoordinate({true, false, 10}, 0, 101), 60);
  EXPECT_EQ(ResolveCoordinate({true, false, 0}, -5, 0), -3);  // truncates toward zero: -5 + 5 / 2
}

TEST(UxStringTokens, SubstitutionAndStopRules) {
  UxWorld world;
  UxString& strings = UxString::Instance();
  strings.Set(12, L"X");
  strings.Set(13, L"YY");
  EXPECT_EQ(ExpandStringTokens(L"%str12%abc", strings), L"Xabc");
  EXPECT_EQ(ExpandStringTokens(L"%str0%abc", strings), L"%str0%abc");
  EXPECT_EQ(ExpandStringTokens(L"%str12", strings), L"%str12");
  EXPECT_EQ(ExpandStringTokens(L"a%str99%b", strings), L"ab");
  // A shorter replacement must not hide the next token.
  EXPECT_EQ(ExpandStringTokens(L"%str12%%str13%!", strings), L"XYY!");
  EXPECT_EQ(ExpandStringTokens(L"%str12%-%str-1%%str13%", strings), L"X-%str-1%%str13%");
}

TEST(UxStringTable, FirstDefinitionWinsAndBadRootsAreRefused) {
  UxWorld world;
  UxString& strings = UxString::Instance();
  ASSERT_TRUE(strings.LoadDocument(u8"<string><s id=\"10\">微软雅黑</s><s id=\"10\">x</s><s>no id</s></string>"));
  EXPECT_EQ(strings.Lookup(10).value_or(L""), L"\u5FAE\u8F6F\u96C5\u9ED1");
  EXPECT_FALSE(strings.LoadDocument("<strings/>"));
  EXPECT_FALSE(strings.LoadDocument("not xml <"));
  EXPECT_FALSE(strings.Lookup(11).has_value());
}

class UxLayoutTest : public ::testing::Test {
 protected:
  UxWorld world;
  CUxControlCreator creator;
  UxLayout layout{HostForm::kTopLevel};

  void Load(const char* xml, int width, int height) {
    layout.SetCreator(&creator);
    ASSERT_TRUE(layout.Parse(xml));
    layout.LayoutAll({0, 0, width, height});
  }
  UxRect RectOf(int id) {
    CUxWindow* control = layout.FindControlById(id);
    EXPECT_NE(control, nullptr) << id;
    return control ? control->Rect() : UxRect{};
  }
};

TEST_F(UxLayoutTest, InstallPathStripHasAZeroHeightHeaderAndAFullBody) {
  Load(R"(<layer width="500" height="36"><header height="0"/>
           <body><realwnd id="301" pos="1,11,418,-5"/></body></layer>)",
       500, 36);
  EXPECT_EQ(layout.Header().Rect(), R(0, 0, 500, 0));
  EXPECT_EQ(layout.Body().Rect(), R(0, 0, 500, 36));
  EXPECT_EQ(RectOf(301), R(1, 11, 418, 31));
}

TEST_F(UxLayoutTest, DownloaderBoxHeaderAndCloseButton) {
  world.images.sizes[70] = {120, 30};
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(
      R"(<skins><png name="lite_detaildlg_closebtn" src="70" subwidth="30"/></skins>)"));
  Load(R"(<layer width="354" height="130"><header height="30">
             <imgbtn id="100" pos="-30,0" skin="lite_detaildlg_closebtn"/></header><body/></layer>)",
       354, 130);
  EXPECT_EQ(layout.Header().Rect(), R(0, 0, 354, 30));
  EXPECT_EQ(layout.Body().Rect(), R(0, 30, 354, 130));
  EXPECT_EQ(RectOf(100), R(324, 0, 354, 30));
}

TEST_F(UxLayoutTest, MainWindowHeaderFillsTheWindow) {
  Load(R"(<layer width="580" height="410"><header width="full" height="full"><dlg pos="0,0,-0,-0">
             <dlg id="604" pos="0,180,-0,250"><text id="605" pos="373,57,-156,89">20年</text></dlg>
             <dlg id="100" pos="0,245,-0,-0">
               <dlgbtnEx2 id="102" pos="480,140,-8,156"><img id="107" pos="68,-16,84,-0"/></dlgbtnEx2>
             </dlg></dlg></header></layer>)",
       580, 410);
  EXPECT_TRUE(layout.Layer().header_fills);
  EXPECT_EQ(layout.Header().Rect(), R(0, 0, 580, 410));
  EXPECT_EQ(RectOf(100), R(0, 245, 580, 410));
  EXPECT_EQ(RectOf(102), R(480, 385, 572, 401));
  EXPECT_EQ(RectOf(107), R(548, 385, 564, 401));
  EXPECT_EQ(RectOf(605), R(373, 237, 424, 269));
}

TEST_F(UxLayoutTest, FullHeaderBesideABodyStaysZeroHigh) {
  Load(R"(<layer><header height="full"/><body/><footer height="20"/></layer>)", 300, 200);
  EXPECT_FALSE(layout.Layer().header_fills);
  EXPECT_EQ(layout.Header().Rect(), R(0, 0, 300, 0));
  EXPECT_EQ(layout.Footer().Rect(), R(0, 180, 300, 200));
  EXPECT_EQ(layout.Body().Rect(), R(0, 0, 300, 180));
}

TEST_F(UxLayoutTest, ControlsWithoutPosUseTheirSizeModes) {
  ASSERT_TRUE(UxStylePool::Instance().LoadDocument(R"(<style><class name="m" x-margin="4" y-margin="2"/></style>)"));
  Load(R"(<layer><header height="full"><dlg pos="0,0,-0,-0" class="m">
             <text id="1" width="full" height="10">a</text>
             <text id="2" width="0" height="abc">abcd</text>
             <text id="3" pos="1,2,3">xy</text>
             <text id="4" width="50" height="full" show="0">z</text>
             <text id="5" show="">z</text>
           </dlg></header></layer>)",
       200, 100);
  EXPECT_EQ(RectOf(1), R(4, 2, 196, 12));  // the inner rectangle's full width
  EXPECT_EQ(RectOf(2), R(4, 2, 28, 14));   // content: 4 glyphs of 6 × 12
  EXPECT_EQ(RectOf(3), R(5, 4, 17, 16));   // three items: top-left from them, content size
  EXPECT_EQ(RectOf(4), R(4, 2, 54, 98));
  EXPECT_FALSE(layout.IsControlShown(4, false));
  EXPECT_TRUE(layout.IsControlShown(5, false));
}

TEST_F(UxLayoutTest, StyleComputation) {
  struct Case {
    const char* xml;
    uint32_t style, ex_style;
    bool resizable, movable;
  } cases[] = {
      {"<layer/>", ws::kPopup | ws::kSysMenu | ws::kMinimizeBox,
       ws::kExControlParent | ws::kExWindowEdge | ws::kExClientEdge, false, true},
      {R"(<layer resize="1" noborder="1" appwin="1" layered="1" nomove="1"/>)",
       ws::kPopup | ws::kSysMenu | ws::kMaximizeBox | ws::kThickFrame | ws::kMinimizeBox,
       ws::kExControlParent | ws::kExAppWindow | ws::kExLayered | ws::kExToolWindow | ws::kExTopmost, true, false},
      {R"(<layer child="1" layered="1" resize="1" nomove="1"/>)",
       ws::kMaximizeBox | ws::kChild | ws::kClipSiblings | ws::kClipChildren, ws::kExControlParent, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xml);
    ASSERT_TRUE(layout.Parse(c.xml));
    EXPECT_EQ(layout.Layer().style, c.style);
    EXPECT_EQ(layout.Layer().ex_style, c.ex_style);
    EXPECT_EQ(layout.Layer().resizable, c.resizable);
    EXPECT_EQ(layout.Layer().movable, c.movable);
  }
  UxLayout framed(HostForm::kFramed);
  ASSERT_TRUE(framed.Parse(R"(<layer layered="1"/>)"));
  EXPECT_FALSE(framed.Layer().ex_style & ws::kExLayered);
}

TEST_F(UxLayoutTest, RefusedDocumentsLeaveNothingLoaded) {
  for (const char* xml : {"", "<layer", "<Layer/>", "<skins/>", "plain text"}) {
    SCOPED_TRACE(xml);
    EXPECT_FALSE(layout.Parse(xml));
    EXPECT_FALSE(layout.Layer().loaded);
    EXPECT_TRUE(layout.Header().Children().empty());
  }
}

TEST_F(UxLayoutTest, UnknownTagsAreSkippedWithTheirSubtree) {
  Load(R"(<layer><body><bogus><text id="1"/></bogus><text id="2" unknownattr="x"/>
           <dlgbtnEx2 id="3"/></body></layer>)",
       100, 100);
  EXPECT_EQ(layout.FindControlById(1), nullptr);
  EXPECT_NE(layout.FindControlById(2), nullptr);
  EXPECT_NE(layout.FindControlById(3), nullptr);  // the top-level host's creator knows it
  UxLayout framed(HostForm::kFramed);
  ASSERT_TRUE(framed.Parse(R"(<layer><body><dlgbtnEx2 id="3"/></body></layer>)"));
  EXPECT_EQ(framed.FindControlById(3), nullptr);  // no creator: built-in tags only
}

TEST_F(UxLayoutTest, RunTimePosAndTextResizeAtOnce) {
  Load(R"(<layer><body><text id="1" pos="10,10">ab</text><text id="2" pos="0,0,40,20">ab</text></body></layer>)", 200,
       100);
  EXPECT_EQ(RectOf(1), R(10, 10, 22, 22));
  ASSERT_TRUE(layout.SetControlAttribute(1, "pos", "|-10,-30"));
  EXPECT_EQ(RectOf(1), R(90, 70, 102, 82));
  ASSERT_TRUE(layout.SetControlText(1, L"abcdef"));
  EXPECT_EQ(RectOf(1), R(90, 70, 126, 82));
  ASSERT_TRUE(layout.SetControlText(2, L"abcdef"));
  EXPECT_EQ(RectOf(2), R(0, 0, 40, 20));  // a 4-item pos keeps its rectangle
  EXPECT_FALSE(layout.SetControlText(99, L"x"));
  EXPECT_FALSE(layout.ShowControl(99, true));
}

TEST_F(UxLayoutTest, AbsurdPositionsDoNotOverflow) {
  Load(R"(<layer><body><text id="1" pos="99999999999,-99999999999,|99999999999,w99999999999">x</text>
           </body></layer>)",
       100, 100);
  const UxRect rect = RectOf(1);
  // Held at the edge of the coordinate range, not wrapped round to negatives.
  EXPECT_EQ(rect.left, kMaxCoordinate);
  EXPECT_GE(rect.top, -kMaxCoordinate);
  EXPECT_LE(rect.top, 100);
  EXPECT_GE(rect.right, rect.left);
}

TEST_F(UxLayoutTest, ShowControlInsideAHiddenDialogStaysInvisible) {
  Load(R"(<layer><body><dlg id="1" show="0"><text id="2" show="0">x</text></dlg></body></layer>)", 100, 100);
  ASSERT_TRUE(layout.ShowControl(2, true));
  EXPECT_TRUE(layout.IsControlShown(2, false));
  EXPECT_FALSE(layout.IsControlShown(2, true));
}

}  // namespace
}  // namespace tw::ux
