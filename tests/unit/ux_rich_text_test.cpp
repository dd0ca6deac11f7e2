// Rich text flowing and links, and animated nodes driven by a hand-moved
// clock, with the test world's 6-pixel glyphs.
#include <gtest/gtest.h>

#include "tests/unit/ux_test_world.h"
#include "ui/controls/animate_node.h"
#include "ui/controls/control_factory.h"
#include "ui/layout/layout.h"
#include "ui/controls/rich_text.h"

namespace tw::ux {
namespace {

using test::UxWorld;

class RichTextTest : public ::testing::Test {
 protected:
  UxWorld world;
  CUxControlCreator creator;
  UxLayout layout{HostForm::kTopLevel};

  CUxRichText& Load(const std::string& markup, const char* pos = "0,0,60,200", const char* tag = "richtext",
                    const char* attributes = "") {
    EXPECT_TRUE(UxStylePool::Instance().LoadDocument(
        R"(<style><class name="rt" linespacing="20"/><class name="lk" crtext="0000FF"/></style>)"));
    layout.SetCreator(&creator);
    EXPECT_TRUE(layout.Parse(std::string("<layer><body><") + tag + " id=\"1\" class=\"rt\" linkclass=\"lk\" pos=\"" +
                             pos + "\" " + attributes + ">" + markup + "</" + tag + "></body></layer>"));
    layout.LayoutAll({0, 0, 300, 300});
    return static_cast<CUxRichText&>(*layout.FindControlById(1));
  }
  static std::string Texts(const RichFlow& flow) {
    std::string out;
    for (const RichRun& run : flow.runs) {
      out += std::string(run.text.begin(), run.text.end()) + "@" + std::to_string(run.rect.left) + "," +
             std::to_string(run.rect.top) + ";";
    }
    return out;
  }
};

TEST_F(RichTextTest, BreaksWrapsAndFormats) {
  // 60 pixels hold ten 6-pixel glyphs; each line is 20 high, runs sit at its bottom (12-pixel font).
  CUxRichText& text = Load("<br/>abc <b>defgh ijklmnop</b><s size=\"2\">x</s>");
  const RichFlow flow = text.Flow(world.measurer);
  EXPECT_EQ(Texts(flow), "abc @0,28;defgh @24,28;ijklmnop@0,48;x@48,46;");
  EXPECT_EQ(flow.runs[1].font, 0x0004);
  EXPECT_EQ(flow.runs[3].font, 0x0200);
  EXPECT_EQ(flow.runs[3].rect.Height(), 14);
  CUxRichText& cjk = Load(u8"一二三四五六七八九十一二三四五六七八九十一二");
  EXPECT_EQ(cjk.Flow(world.measurer).runs.size(), 3u) << "a run longer than the line takes as many lines as needed";
}

TEST_F(RichTextTest, OffsetsColoursAndAlignment) {
  CUxRichText& text = Load("<c color=\"FF0000\">a</c><o offset=\"0A\"/><g align=\"t\">b</g><o offset=\"64\"/>c");
  const RichFlow flow = text.Flow(world.measurer);
  EXPECT_EQ(Texts(flow), "a@0,8;b@16,0;c@2,48;") << "an offset past the edge continues on the following lines";
  EXPECT_EQ(flow.runs[0].colour, MakeColour(255, 0, 0));
  EXPECT_EQ(flow.runs[2].colour, 0u);
}

TEST_F(RichTextTest, LinksCarryTheirIdsAndTheLinkClass) {
  CUxRichText& text = Load("go <a id=\"7\" hover_color=\"00FF00\">here</a> or <a id=\"8\" color=\"123456\">there</a>");
  const RichFlow flow = text.Flow(world.measurer);
  ASSERT_EQ(text.Links().size(), 2u);
  EXPECT_EQ(text.Links()[0].id, 7);
  EXPECT_EQ(flow.runs[1].colour, MakeColour(0, 0, 255)) << "the link class colours a link without its own";
  EXPECT_EQ(flow.runs[3].colour, MakeColour(0x12, 0x34, 0x56));
  CUxRichText2Wnd& two = static_cast<CUxRichText2Wnd&>(
      Load("<text>ab</text><break/><offset offset=\"12\"/><char color=\"00FF00\">c</char>", "0,0,60,200", "richtext2"));
  EXPECT_EQ(Texts(two.Flow(world.measurer)), "ab@0,8;c@12,28;");
}

TEST_F(RichTextTest, RunsTakeTheYaHeiCorrectionWhenAsked) {
  UxBaseFont::Instance().face = L"微软雅黑";
  auto run_tops = [&](const char* attributes) {
    CUxRichText& text = Load("ab <s size=\"2\">cd</s>", "0,0,200,100", "richtext", attributes);
    test::RecordingCanvas canvas;
    text.PaintInRegion(canvas);
    EXPECT_EQ(canvas.texts.size(), 2u);
    return std::make_pair(canvas.texts.front().rect.top, canvas.texts.back().rect.top);
  };
  const auto plain = run_tops("");
  const auto corrected = run_tops("autoadjustyahei=\"1\"");
  // Top-aligned single lines move up by 3c + 3, c being how much larger than the base the run's font is.
  EXPECT_EQ(corrected.first, plain.first - 3);
  EXPECT_EQ(corrected.second, plain.second - (3 * 2 + 3));
}

TEST(UxRichFlow, AbsurdBoxesNeitherOverflowNorRunAway) {
  // Found by fuzzing: a rectangle at the far end of the coordinates.
  test::FakeMeasurer measurer;
  std::vector<RichItem> items(3);
  items[0].text = L"abc";
  items[1].kind = RichItem::Kind::kBreak;
  items[2].kind = RichItem::Kind::kOffset;
  items[2].offset = 2147483647;
  RichFlowBox box;
  box.area = {2147483000, 2147483640, 2147483647, 2147483647};
  box.linespacing = 2147483647;
  const RichFlow flow = FlowRichItems(items, box, measurer);
  ASSERT_EQ(flow.runs.size(), 3u);  // clamped far away, the box is one pixel wide: a glyph a line
  EXPECT_GT(flow.bottom, flow.runs[0].rect.top);
}

class HandClock : public IUxAnimationClock {
 public:
  double now = 1000;
  double NowMs() override { return now; }
};

class RecordingContainer : public IUxContainer {
 public:
  std::vector<IUxAnimationHandler*> handlers;
  void* HostWindow() const override { return nullptr; }
  bool HostWindowAlive() const override { return true; }
  int HostControlId() const override { return 0; }
  intptr_t SendNotice(uintptr_t, UxNotice&) override { return 0; }
  void PlaceRealWindow(int, const UxRect&) override {}
  void ShowRealWindow(int, bool) override {}
  void Invalidate(const UxRect&) override {}
  void RegisterAnimation(IUxAnimationHandler* handler) override { handlers.push_back(handler); }
  void UnregisterAnimation(IUxAnimationHandler* handler) override {
    handlers.erase(std::remove(handlers.begin(), handlers.end(), handler), handlers.end());
  }
};

// One animated node on a hand-moved clock; the clock is handed back on every
// path, as a failed assertion would otherwise leave it pointing at a dead test.
class AnimateNodeTest : public ::testing::Test {
 protected:
  UxWorld world;
  HandClock clock;
  CUxControlCreator creator;
  RecordingContainer host;  // outlives the layout, which unregisters its animations from it
  UxLayout layout{HostForm::kTopLevel};

  void SetUp() override { SetAnimationClock(&clock); }
  void TearDown() override { SetAnimationClock(nullptr); }

  CUXAnimateNode& Start(const std::string& markup) {
    layout.SetCreator(&creator);
    layout.AttachHost(&host);
    EXPECT_TRUE(layout.Parse("<layer><body>" + markup + "</body></layer>"));
    layout.AttachHost(&host);
    layout.LayoutAll({0, 0, 300, 100});
    auto& node = static_cast<CUXAnimateNode&>(*layout.FindControlById(1));
    node.StartAnimation();
    return node;
  }

  void Tick(double ms) {
    clock.now += ms;
    for (IUxAnimationHandler* handler : std::vector<IUxAnimationHandler*>(host.handlers)) handler->OnAnimationTick();
  }
};

TEST_F(AnimateNodeTest, MovesFadesStepsAndHidesAfterPlay) {
  world.images.sizes[5] = {40, 10};
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(R"(<skins><png name="seq" src="5" subwidth="10"/></skins>)"));
  CUXAnimateNode& node = Start(R"(<animate id="1" pos="10,10,60,40" hide_after_play="1"
      transform="[0,100]:[0,0]|0,1000" alpha="[255,0]|0,1000" sequence="[0,3]|0,1000" sequence_img_id="2">
      <img id="2" skin="seq" pos="0,0"/></animate>)");
  ASSERT_EQ(host.handlers.size(), 1u);
  Tick(0);
  Tick(500);
  EXPECT_EQ(node.Rect(), (UxRect{60, 10, 110, 40}));
  EXPECT_EQ(layout.FindControlById(2)->Rect().left, 60) << "the subtree moves with the node";
  EXPECT_EQ(layout.FindControlById(2)->Opacity(), 127);
  EXPECT_EQ(node.SequenceFrame(), 1);
  EXPECT_TRUE(layout.IsControlShown(1, true));
  Tick(500);
  EXPECT_TRUE(host.handlers.empty()) << "finished: the node stopped itself";
  EXPECT_FALSE(layout.IsControlShown(1, true)) << "hide_after_play";
}

// A running node that goes — reloaded layout, a child detached with destroy —
// leaves the timeline: the next tick must not reach freed memory (ASan).
TEST_F(AnimateNodeTest, ADestroyedNodeIsNoLongerTicked) {
  const char* markup = R"(<animate id="1" pos="10,10,60,40" transform="[0,100]:[0,0]|0,1000"/>)";
  Start(markup);
  ASSERT_EQ(host.handlers.size(), 1u);
  layout.Body().DetachChildById(1, true);
  EXPECT_TRUE(host.handlers.empty()) << "detached with destroy";
  Tick(100);

  Start(markup);
  ASSERT_EQ(host.handlers.size(), 1u);
  ASSERT_TRUE(layout.Parse("<layer><body/></layer>"));
  EXPECT_TRUE(host.handlers.empty()) << "the layout loaded anew";
  Tick(100);
}

// Window code can animate any control: the control keeps a share of the
// animator it is given, lets go of it when another replaces it, and the
// animator fades or moves it until finished.
TEST_F(AnimateNodeTest, AControlOwnsTheAnimationItIsGiven) {
  layout.SetCreator(&creator);
  ASSERT_TRUE(layout.Parse(R"(<layer><body><text id="1" pos="10,10,60,40">a</text></body></layer>)"));
  layout.AttachHost(&host);
  layout.LayoutAll({0, 0, 300, 100});
  CUxWindow& control = *layout.FindControlById(1);
  auto animator = [&control](std::unique_ptr<CUXAnimateBase> animation, const char* description) {
    EXPECT_TRUE(animation->ParseDescription(description));
    return std::make_shared<UxControlAnimator>(control, std::move(animation));
  };

  std::shared_ptr<UxControlAnimator> fade = animator(std::make_unique<CUXAlphaAnimate>(), "[255,0]|0,1000");
  const std::weak_ptr<UxControlAnimator> first = fade;
  control.SetAnimation(std::move(fade));
  EXPECT_FALSE(first.expired()) << "the control holds its share";
  ASSERT_EQ(host.handlers.size(), 1u);
  Tick(0);
  Tick(500);
  EXPECT_EQ(control.Opacity(), 127);
  Tick(500);
  EXPECT_TRUE(host.handlers.empty()) << "finished: it stopped itself";

  control.SetAnimation(animator(std::make_unique<CUXTransformAnimate>(), "[0,100]:[0,0]|0,1000"));
  EXPECT_TRUE(first.expired()) << "the replaced animator is let go";
  Tick(0);
  Tick(1000);
  EXPECT_EQ(control.Rect(), (UxRect{110, 10, 160, 40}));

  control.SetAnimation(animator(std::make_unique<CUXTransformAnimate>(), "[0,100]:[0,0]|0,1000"));
  ASSERT_EQ(host.handlers.size(), 1u);
  ASSERT_TRUE(layout.Parse("<layer><body/></layer>"));
  EXPECT_TRUE(host.handlers.empty()) << "a control that goes takes its animator off the timeline";
}

// Found by fuzzing: a value beyond an int's range was converted as it was
// (x86 gives INT_MIN, so the node wrapped and the opacity fell to 0).
TEST_F(AnimateNodeTest, AbsurdValuesAreHeldAtTheEdgeOfTheRange) {
  CUXAnimateNode& node = Start(R"(<animate id="1" pos="10,10,60,40"
      transform="[-300000000000000000000000000000000000000,0]:[0,0]|0,1000"
      alpha="[300000000000000000000000000000000000000,0]|0,1000">
      <img id="2" pos="0,0,-0,-0"/></animate>)");
  ASSERT_EQ(host.handlers.size(), 1u);
  Tick(0);
  Tick(500);
  EXPECT_EQ(layout.FindControlById(2)->Opacity(), 255) << "an infinite opacity is fully opaque, not 0";
  EXPECT_EQ(node.Rect().left, 10 - kMaxCoordinate) << "moved as far left as coordinates go";
  EXPECT_EQ(node.Rect().Width(), 50);
}

}  // namespace
}  // namespace tw::ux
