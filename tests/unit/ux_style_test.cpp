// Style defaults and parsing, font codes, the state's font and colours, the
// YaHei correction and the choice of text path.
#include <gtest/gtest.h>

#include "tests/unit/ux_test_world.h"
#include "ui/controls/control_factory.h"
#include "ui/layout/layout.h"
#include "ui/drawing/style.h"
#include "ui/controls/text_paint.h"

namespace tw::ux {
namespace {

using test::RecordingCanvas;
using test::UxWorld;

TEST(UxStyle, DefaultsOfAnUnknownClass) {
  UxWorld world;
  const UxStyle& style = *UxStylePool::Instance().Find("missing");
  EXPECT_EQ(style.textmode, dt::kSingleLine | dt::kBottom);
  EXPECT_EQ(style.crdisabled, MakeColour(204, 204, 204));
  EXPECT_EQ(style.crshadow, MakeColour(1, 1, 1));
  EXPECT_EQ(style.crtext, kNoColour);
  EXPECT_EQ(style.alphatxt, 254);
  EXPECT_EQ(style.alphabg, 255);
  EXPECT_EQ(style.linespacing, 20);
  EXPECT_EQ(style.cursor, UxStyle::Cursor::kArrow);
}

TEST(UxStyle, AttributesAndTheirAnswers) {
  UxStyle style;
  EXPECT_EQ(style.ApplyAttribute("textmode", "10025", true), kAttrHandled);
  EXPECT_EQ(style.textmode, dt::kCenter | dt::kVCenter | dt::kSingleLine);
  EXPECT_EQ(style.ApplyAttribute("crhover", "1a2B3c", true), kAttrChanged);
  EXPECT_EQ(style.crhover, MakeColour(0x1A, 0x2B, 0x3C));
  EXPECT_EQ(style.ApplyAttribute("crtext", "none", true), kAttrChanged);
  EXPECT_EQ(style.crtext, kNoColour);
  EXPECT_EQ(style.ApplyAttribute("crbg", "12345G", true), kAttrChanged);
  EXPECT_EQ(style.crbg, 0u);  // a non-hex character gives black
  EXPECT_EQ(style.ApplyAttribute("font", "0C04", true), kAttrHandled);
  EXPECT_EQ(style.font, 0x0C04);
  EXPECT_EQ(style.ApplyAttribute("font", "zz", true), kAttrHandled);
  EXPECT_EQ(style.font, 0);
  EXPECT_EQ(style.ApplyAttribute("margin", "5", true), kAttrHandled);
  EXPECT_EQ(style.x_margin, 5);
  EXPECT_EQ(style.y_margin, 5);
  EXPECT_EQ(style.ApplyAttribute("cursor", "hand", true), kAttrChanged);
  EXPECT_EQ(style.ApplyAttribute("cursor", "ibeam", true), kAttrUnknown);
  EXPECT_EQ(style.cursor, UxStyle::Cursor::kHand);
  EXPECT_EQ(style.ApplyAttribute("nonsense", "1", true), kAttrUnknown);
}

TEST(UxStyle, PoolKeepsTheFirstClassAndRefusesOtherRoots) {
  UxWorld world;
  ASSERT_TRUE(UxStylePool::Instance().LoadDocument(
      R"(<style><class name="a" x-margin="1"/><class name="a" x-margin="2"/><class x-margin="3"/></style>)"));
  EXPECT_EQ(UxStylePool::Instance().Find("a")->x_margin, 1);
  EXPECT_FALSE(UxStylePool::Instance().LoadDocument("<styles/>"));
  EXPECT_EQ(UxStylePool::Instance().Find("")->x_margin, 0);
}

TEST(UxFontCode, HeightsAndFlags) {
  struct Case {
    uint16_t code;
    int height;
    bool bold, underline, italic;
  } cases[] = {{0x0C04, -24, true, false, false},  {0x0604, -18, true, false, false},
               {0x0204, -14, true, false, false},  {0x0100, -13, false, false, false},
               {0x0000, -12, false, false, false}, {0xFF00, -11, false, false, false},
               {0x0003, -12, false, true, true}};
  for (const Case& c : cases) {
    const FontTraits traits = DecodeFontCode(c.code, -12);
    EXPECT_EQ(traits.height, c.height) << c.code;
    EXPECT_EQ(traits.bold, c.bold) << c.code;
    EXPECT_EQ(traits.underline, c.underline) << c.code;
    EXPECT_EQ(traits.italic, c.italic) << c.code;
  }
}

TEST(UxTextRules, YaHeiCorrection) {
  // Bottom-aligned: up by 2c + 2, then at least |base| + 3c + 4 high.
  EXPECT_EQ(CorrectForYaHei({0, 100, 50, 120}, dt::kBottom | dt::kSingleLine, 12, 12, true), (UxRect{0, 98, 50, 118}));
  EXPECT_EQ(CorrectForYaHei({0, 100, 50, 110}, dt::kBottom, 12, 12, true), (UxRect{0, 98, 50, 115}));
  EXPECT_EQ(CorrectForYaHei({0, 100, 50, 110}, dt::kBottom, 12, 12, false), (UxRect{0, 98, 50, 108}));
  // Neither bottom nor vcenter: up by 3c + 3; with "0C04" (c = 12) that is 39.
  EXPECT_EQ(CorrectForYaHei({0, 100, 50, 140}, dt::kSingleLine, 12, 24, true), (UxRect{0, 61, 50, 101}));
  EXPECT_EQ(CorrectForYaHei({0, 100, 50, 140}, dt::kVCenter | dt::kSingleLine, 12, 24, true),
            (UxRect{0, 100, 50, 140}));
}

class UxStateTextTest : public ::testing::Test {
 protected:
  UxWorld world;
  CUxControlCreator creator;
  UxLayout layout{HostForm::kTopLevel};

  CUxWindow& Load(const char* style_doc, const char* body) {
    EXPECT_TRUE(UxStylePool::Instance().LoadDocument(style_doc));
    layout.SetCreator(&creator);
    EXPECT_TRUE(layout.Parse(std::string("<layer><body>") + body + "</body></layer>"));
    layout.LayoutAll({0, 0, 200, 100});
    return *layout.FindControlById(1);
  }
};

TEST_F(UxStateTextTest, PushColourWinsOverHoverAndDisabledOverBoth) {
  CUxWindow& text = Load(
      R"(<style><class name="s" crtext="000010" crhover="000020" crpush="000030" hoverfont="0100" pushfont="0204"/></style>)",
      R"(<text id="1" class="s" pos="0,0">x</text>)");
  EXPECT_EQ(BeginDraw(text).text, MakeColour(0, 0, 0x10));
  text.ChangeStateBits(kStateHover, 0);
  EXPECT_EQ(BeginDraw(text).text, MakeColour(0, 0, 0x20));
  EXPECT_EQ(BeginDraw(text).font.code, 0x0100);
  text.ChangeStateBits(kStatePushed, 0);
  EXPECT_EQ(BeginDraw(text).text, MakeColour(0, 0, 0x30));
  EXPECT_EQ(BeginDraw(text).font.code, 0x0204);
  text.ChangeStateBits(kStateDisabled, 0);
  EXPECT_EQ(BeginDraw(text).text, MakeColour(204, 204, 204));
  EXPECT_TRUE(text.RepaintsOnStateChange());
}

TEST_F(UxStateTextTest, TextPathFollowsStyleAndOpacity) {
  CUxWindow& text = Load(R"(<style><class name="plain"/><class name="gp" gdiplus="1" alphatxt="200"/>
                              <class name="sh" shadow="1" crshadow="FF0000"/></style>)",
                         R"(<text id="1" class="plain" pos="0,0,100,20">x</text>)");
  RecordingCanvas canvas;
  text.DrawInnerText(canvas);
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0].path, UxTextRun::Path::kGdi);
  EXPECT_EQ(canvas.texts[0].format, dt::kSingleLine | dt::kBottom);
  text.SetOpacity(128);  // partly transparent: GDI+ with the text alpha scaled
  text.DrawInnerText(canvas);
  EXPECT_EQ(canvas.texts[1].path, UxTextRun::Path::kGdiPlus);
  EXPECT_EQ(canvas.texts[1].alpha, 254 * 128 / 255);
  text.SetOpacity(255);
  text.ApplyAttribute("class", "gp", false);
  text.DrawInnerText(canvas);
  EXPECT_EQ(canvas.texts[2].path, UxTextRun::Path::kGdiPlus);
  EXPECT_EQ(canvas.texts[2].alpha, 200);
  text.ApplyAttribute("class", "sh", false);
  text.DrawInnerText(canvas);
  EXPECT_EQ(canvas.texts[3].path, UxTextRun::Path::kShadow);
  EXPECT_EQ(canvas.texts[3].shadow, MakeColour(255, 0, 0));
}

TEST_F(UxStateTextTest, TextIsDrawnWithoutABoxOverTheFilledBackground) {
  CUxWindow& text = Load(R"(<style><class name="col" crbg="00FF00" crbghover="0000FF" bggdiplus="1" alphabg="128"/>
                              </style>)",
                         R"(<text id="1" class="col" pos="0,0,100,20">x</text>)");
  RecordingCanvas canvas;
  text.DrawInnerText(canvas);
  text.ChangeStateBits(kStateHover, 0);
  text.DrawInnerText(canvas);
  ASSERT_EQ(canvas.texts.size(), 2u);
  EXPECT_TRUE(canvas.texts[0].transparent) << "a translucent background colour";
  EXPECT_TRUE(canvas.texts[1].transparent) << "hovered, over its hover colour";
}

TEST_F(UxStateTextTest, BackgroundsBySkinColourAndState) {
  world.images.sizes[5] = {40, 10};
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(R"(<skins><png name="four" src="5" subwidth="10"/></skins>)"));
  Load(R"(<style><class name="sk" skin="four"/><class name="gone" skin="nothere" crbg="FF0000"/>
          <class name="col" crbg="00FF00" crbghover="0000FF" bggdiplus="1" alphabg="128"/></style>)",
       R"(<text id="1" class="sk" pos="0,0,10,10"/><text id="2" class="gone" pos="0,0,10,10"/>
          <text id="3" class="col" pos="0,0,10,10" border="1"/><dlgbtnEx2 id="4" class="sk" pos="0,0,10,10"/>
          <text id="5" class="sk" pos="0,0,10,10" correctdrawbg="1"/>)");
  auto paint = [&](int id) {
    RecordingCanvas canvas;
    layout.FindControlById(id)->PaintBackground(canvas);
    return canvas.calls;
  };
  layout.FindControlById(1)->ChangeStateBits(kStatePushed, 0);  // raw bits: 2
  EXPECT_EQ(paint(1), std::vector<std::string>{"blend 20,0,30,10 -> 0,0,10,10 a255"});
  EXPECT_TRUE(paint(2).empty());  // a skin the pool lacks: no colour either
  layout.FindControlById(3)->ChangeStateBits(kStateHover, 0);
  EXPECT_EQ(paint(3), (std::vector<std::string>{"outline 0,0,10,10", "fillalpha 0,0,10,10 16711680 a128"}));
  layout.FindControlById(4)->ChangeStateBits(kStateDisabled | kStateHover, 0);
  EXPECT_EQ(paint(4), std::vector<std::string>{"blend 30,0,40,10 -> 0,0,10,10 a255"});
  layout.FindControlById(5)->ChangeStateBits(kStateHover | kStateChecked, 0);  // corrected: 1
  EXPECT_EQ(paint(5), std::vector<std::string>{"blend 10,0,20,10 -> 0,0,10,10 a255"});
}

}  // namespace
}  // namespace tw::ux
