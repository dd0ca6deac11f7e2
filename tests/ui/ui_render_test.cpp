// The framework drawn under Wine: layouts of the tests' resource set
// rendered through the host window and WM_PRINT, compared with reviewed
// pictures, plus the skin rules checked pixel by pixel.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support_win.h"

namespace tw::ux {
namespace {

using win::RenderLayout;
using win::RenderRequest;

RenderRequest Request(int id, std::vector<std::wstring> operations = {}, std::vector<std::wstring> events = {}) {
  RenderRequest request;
  request.layout_id = id;
  request.operations = std::move(operations);
  request.events = std::move(events);
  return request;
}
RenderRequest Framed(int id) {
  RenderRequest request = Request(id);
  request.framed = true;
  return request;
}
RenderRequest WithoutOverlay(int id) {
  RenderRequest request = Request(id);
  request.overlay = false;
  return request;
}

class UiRenderTest : public ::testing::Test {
 protected:
  void SetUp() override { test::UseTestResources(); }
  win::RenderResult Render(RenderRequest request) {
    win::RenderResult result = RenderLayout(request);
    EXPECT_TRUE(result.ok) << std::string(result.error.begin(), result.error.end());
    return result;
  }
};

TEST_F(UiRenderTest, LayoutsMatchTheirReviewedPictures) {
  struct Case {
    const char* name;
    RenderRequest request;
  } cases[] = {
      {"gallery", Request(20001)},
      // An image button hovered, then one pushed; a third image button and the
      // first action button disabled; the note hidden.
      {"gallery_hover", Request(20001, {L"enable:25:0", L"show:31:0", L"enable:26:0"}, {L"move:20:84"})},
      {"gallery_pushed", Request(20001, {}, {L"move:50:84", L"down:50:84", L"move:150:84"})},
      {"gallery_changed",
       Request(20001, {L"attr:40:value:85", L"attr:41:value:100", L"text:20:5年", L"check:24:1"})},
      {"message_box", Framed(20005)},
      {"overlay", Request(20004)},
      {"stretched_grid", WithoutOverlay(20003)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const win::RenderResult result = Render(c.request);
    if (result.ok) {
      EXPECT_TRUE(test::MatchesPicture(*result.image, c.name));
    }
  }
}

TEST_F(UiRenderTest, NineGridAtNaturalSizeIsPixelIdenticalToItsFrame) {
  const win::RenderResult result = Render(WithoutOverlay(20002));
  ASSERT_TRUE(result.ok);
  auto source = win::UxImagePools().Png(4);
  auto* frames = dynamic_cast<win::GdiImage*>(source.get());
  ASSERT_NE(frames, nullptr);
  ASSERT_EQ(result.image->Width(), 260);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 260; ++x) {
      ASSERT_EQ(test::PixelAt(*result.image, x, y), test::PixelAt(*frames, 260 + x, y)) << x << "," << y;
    }
  }
}

TEST_F(UiRenderTest, StretchedGridKeepsItsThreePixelBorder) {
  const win::RenderResult result = Render(WithoutOverlay(20003));
  ASSERT_TRUE(result.ok);
  const uint32_t corner = 0xFFC82828, edge = 0xFFF08C28;
  EXPECT_EQ(test::PixelAt(*result.image, 0, 0), corner);
  EXPECT_EQ(test::PixelAt(*result.image, 299, 59), corner);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(test::PixelAt(*result.image, 150, i), edge) << i;       // top edge, 3 rows
    EXPECT_EQ(test::PixelAt(*result.image, i, 30), edge) << i;        // left edge, 3 columns
    EXPECT_EQ(test::PixelAt(*result.image, 297 + i, 30), edge) << i;  // right edge
  }
  EXPECT_NE(test::PixelAt(*result.image, 150, 3), edge);
  EXPECT_NE(test::PixelAt(*result.image, 3, 30), edge);
}

TEST_F(UiRenderTest, LayeredWindowKeepsTransparentPixelsAndOpaqueText) {
  const win::RenderResult result = Render(Request(20004));
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(test::PixelAt(*result.image, 10, 60) >> 24, 0u);    // nothing drawn there
  EXPECT_EQ(test::PixelAt(*result.image, 60, 40) >> 24, 255u);  // the disc's middle
  // GDI text on a transparent bitmap: its pixels must not stay at alpha 0.
  int opaque_text = 0;
  for (int y = 4; y < 20; ++y) {
    for (int x = 4; x < 30; ++x) opaque_text += (test::PixelAt(*result.image, x, y) >> 24) == 255;
  }
  EXPECT_GT(opaque_text, 10);
}

TEST_F(UiRenderTest, ResourcesThatDoNotDecodeDrawNothingAndTakeNoSpace) {
  const win::RenderResult result = Render([] {
    RenderRequest request = WithoutOverlay(20006);
    request.events = {L"down:2:2", L"up:2:2"};
    return request;
  }());
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(test::PixelAt(*result.image, 0, 0), 0u);
  EXPECT_EQ(test::PixelAt(*result.image, 12, 12), 0u);
  EXPECT_EQ(test::PixelAt(*result.image, 70, 30) >> 24, 255u);  // the good skin beside them
  // The broken button is 0 x 0: the press lands on the body, which has no id
  // and so never clicks.
  EXPECT_EQ(result.notices, std::vector<std::string>{"press 0"});
}

TEST_F(UiRenderTest, MissingOrInvalidLayoutsCreateNoWindow) {
  for (int id : {29999, 20008}) {
    const win::RenderResult result = RenderLayout(Request(id));
    EXPECT_FALSE(result.ok) << id;
  }
}

}  // namespace
}  // namespace tw::ux

namespace tw::ux {
namespace {

TEST_F(UiRenderTest, RichTextAndAnAnimatedNodeOverTime) {
  struct Case {
    const char* name;
    double advance;
  } cases[] = {{"rich_anim_0", 0}, {"rich_anim_500", 500}, {"rich_anim_done", 1100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RenderRequest request = Request(20009);
    request.advance_ms = c.advance;
    const win::RenderResult result = Render(request);
    if (result.ok) {
      EXPECT_TRUE(test::MatchesPicture(*result.image, c.name));
    }
  }
  // The node ends hidden: where it stood at the start only the frame is left.
  RenderRequest done = Request(20009);
  done.advance_ms = 1100;
  const win::RenderResult end = Render(done);
  ASSERT_TRUE(end.ok);
  const win::RenderResult background = Render(Request(20009, {L"show:2:0"}));
  ASSERT_TRUE(background.ok);
  EXPECT_EQ(test::PixelAt(*end.image, 30, 125), test::PixelAt(*background.image, 30, 125));
}

TEST_F(UiRenderTest, RichTextLinkTakesItsHoverColour) {
  const win::RenderResult plain = Render(Request(20009));
  const win::RenderResult hovered = Render(Request(20009, {}, {L"move:170:66"}));
  ASSERT_TRUE(plain.ok && hovered.ok);
  int changed = 0;
  for (int y = 52; y < 80; ++y) {
    for (int x = 120; x < 230; ++x) changed += test::PixelAt(*plain.image, x, y) != test::PixelAt(*hovered.image, x, y);
  }
  EXPECT_GT(changed, 20) << "the link is drawn in its hover colour under the pointer";
}

}  // namespace
}  // namespace tw::ux
