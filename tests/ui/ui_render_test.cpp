// The framework drawn under Wine: layouts of the tests' resource set
// rendered through the host window and WM_PRINT, compared with reviewed
// pictures, plus the skin rules checked pixel by pixel.
#include <gtest/gtest.h>

#include "platform/win/gdi_handles_win.h"
#include "tests/ui/ui_test_support_win.h"
#include "ui/drawing/ux_resource_win.h"

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
      {"gallery_changed", Request(20001, {L"attr:40:value:85", L"attr:41:value:100", L"text:20:5年", L"check:24:1"})},
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

TEST_F(UiRenderTest, SkinPngFlipsFadesAndTakesItsFile) {
  const win::RenderResult result = Render(WithoutOverlay(20010));
  ASSERT_TRUE(result.ok);
  const win::GdiImage& image = *result.image;
  auto row = [&](int top, int x, int y) { return test::PixelAt(image, x, top + y); };
  int mirrored = 0, halved = 0, from_file = 0;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 160; ++x) {
      mirrored += row(30, x, y) == row(0, 159 - x, y);
      const uint32_t plain_alpha = row(0, x, y) >> 24, half_alpha = row(60, x, y) >> 24;
      halved += plain_alpha == 255 && half_alpha >= 126 && half_alpha <= 130;
      from_file += row(90, x, y) == row(0, x, y);
    }
  }
  EXPECT_EQ(mirrored, 160 * 24) << "flip mirrors the image along X";
  EXPECT_GT(halved, 160 * 24 / 2) << "alpha 128 halves every opaque pixel";
  EXPECT_EQ(from_file, 160 * 24) << "the file, not the resource src";
  EXPECT_NE(row(30, 1, 12), row(0, 1, 12)) << "the image is not symmetric, so the flip shows";
}

TEST_F(UiRenderTest, RichTextFadesWithItsControl) {
  const win::RenderResult plain = Render(Request(20009, {L"show:2:0"}));
  const win::RenderResult faded = Render(Request(20009, {L"show:2:0", L"opacity:1:96"}));
  ASSERT_TRUE(plain.ok && faded.ok);
  int changed = 0;
  long plain_light = 0, faded_light = 0;
  for (int y = 6; y < 96; ++y) {
    for (int x = 10; x < 290; ++x) {
      const uint32_t p = test::PixelAt(*plain.image, x, y), f = test::PixelAt(*faded.image, x, y);
      changed += p != f;
      plain_light += (p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF);
      faded_light += (f & 0xFF) + ((f >> 8) & 0xFF) + ((f >> 16) & 0xFF);
    }
  }
  EXPECT_GT(changed, 200) << "the runs are drawn at the control's opacity";
  EXPECT_GT(faded_light, plain_light) << "faded text lets the light background through";
}

TEST_F(UiRenderTest, ImageFilesAreReadOnlyByAPlainNameInTheResourceFolder) {
  const win::UxResource& resources = win::UxResource::Instance();
  EXPECT_TRUE(resources.PrimaryFile(L"11.png").has_value());
  const std::wstring outside[] = {
      L"..\\ui\\11.png", L"../ui/11.png", L".\\11.png", L"C:11.png", test::FixtureFolder() + L"\\11.png", L"..", L""};
  for (const std::wstring& name : outside) {
    EXPECT_FALSE(resources.PrimaryFile(name).has_value()) << std::string(name.begin(), name.end());
  }
}

BOOL CALLBACK TakeFirstId(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  if (!IS_INTRESOURCE(name)) return TRUE;
  *reinterpret_cast<int*>(found) = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
  return FALSE;
}

// The system's common controls carry bitmap resources the tests' executable
// does not have: set as the resource module, its bitmap must be the one taken.
TEST_F(UiRenderTest, BitmapsComeFromTheResourceModuleFirst) {
  const tw::win::UniqueLibrary library(
      ::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(library);
  HMODULE module = library.Get();
  int id = 0;
  ::EnumResourceNamesW(module, MAKEINTRESOURCEW(2) /* RT_BITMAP */, TakeFirstId, reinterpret_cast<LONG_PTR>(&id));
  ASSERT_NE(id, 0) << "comctl32 lists a bitmap";
  const tw::win::UniqueBitmap direct(::LoadBitmapW(module, MAKEINTRESOURCEW(id)));
  ASSERT_TRUE(direct);
  BITMAP size{};
  ::GetObjectW(direct.Get(), sizeof size, &size);

  win::UxResource& resources = win::UxResource::Instance();
  const HMODULE previous = resources.ResourceModule();
  EXPECT_EQ(win::UxImagePools().Bitmap(id), nullptr) << "the executable and the resource set have no bitmap " << id;
  resources.SetResourceModule(module);
  const std::shared_ptr<UxImage> image = win::UxImagePools().Bitmap(id);
  resources.SetResourceModule(previous);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Width(), size.bmWidth);
  EXPECT_EQ(image->Height(), size.bmHeight);
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
