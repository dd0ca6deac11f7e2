// Skin frames, the nine-grid and the plain drawing as rectangles, the pool's
// first-name rule and the image cache's retry after a failed decode.
#include <gtest/gtest.h>

#include "tests/unit/ux_test_world.h"
#include "ui/controls/progress_rules.h"
#include "ui/base/dpi.h"
#include "ui/drawing/skin.h"
#include "ui/drawing/skin_geometry.h"

namespace tw::ux {
namespace {

using test::RecordingCanvas;
using test::UxWorld;

std::string Parts(const std::vector<BlendPart>& parts) {
  std::string text;
  for (const BlendPart& p : parts) {
    text += RecordingCanvas::Text(p.src) + ">" + RecordingCanvas::Text(p.dst) + ";";
  }
  return text;
}

TEST(UxSkinFrames, CountsWidthsAndIndexes) {
  EXPECT_EQ(ComputeFrames(96, 24).count, 4);
  EXPECT_EQ(ComputeFrames(96, 24).width, 24);
  EXPECT_EQ(ComputeFrames(96, 0).count, 1);
  EXPECT_EQ(ComputeFrames(96, 200).count, 1);  // subwidth wider than the image
  EXPECT_EQ(ComputeFrames(100, 30).width, 33);
  EXPECT_EQ(FrameForIndex(5, 4), 1);
  EXPECT_EQ(FrameForIndex(-1, 4), 0);
  EXPECT_EQ(FrameForIndex(3, 1), 0);
  EXPECT_EQ(CorrectedStateIndex(kStateDisabled | kStatePushed), 3);
  EXPECT_EQ(CorrectedStateIndex(kStatePushed | kStateHover), 2);
  EXPECT_EQ(CorrectedStateIndex(kStateHover | kStateChecked), 1);
  EXPECT_EQ(CorrectedStateIndex(kStateChecked), 0);
}

NineGridSource ThreePixelFrame() {
  NineGridSource source;
  source.image_width = 520;  // two 260 × 40 frames
  source.image_height = 40;
  source.frame_width = 260;
  source.frame = 1;
  source.margins = {3, 3, 3, 3};
  return source;
}

TEST(UxNineGrid, NaturalSizeCopiesEveryPixelOnce) {
  const auto parts = NineGridParts(ThreePixelFrame(), {10, 20, 270, 60});
  ASSERT_EQ(parts.size(), 9u);
  int covered = 0;
  for (const BlendPart& p : parts) {
    EXPECT_EQ(p.src.Width(), p.dst.Width());
    EXPECT_EQ(p.src.Height(), p.dst.Height());
    EXPECT_EQ(p.dst.left - 10, p.src.left - 260);  // frame 1 starts at column 260
    EXPECT_EQ(p.dst.top - 20, p.src.top);
    covered += p.dst.Width() * p.dst.Height();
  }
  EXPECT_EQ(covered, 260 * 40);
}

TEST(UxNineGrid, StretchingKeepsTheBorderWidth) {
  const auto parts = NineGridParts(ThreePixelFrame(), {0, 0, 300, 60});
  EXPECT_EQ(Parts(parts),
            "260,0,263,3>0,0,3,3;260,37,263,40>0,57,3,60;260,3,263,37>0,3,3,57;"              // left column
            "517,0,520,3>297,0,300,3;517,37,520,40>297,57,300,60;517,3,520,37>297,3,300,57;"  // right column
            "263,0,517,3>3,0,297,3;263,37,517,40>3,57,297,60;"                                // top and bottom edges
            "263,3,517,37>3,3,297,57;");                                                      // centre
}

TEST(UxNineGrid, WithoutMarginsTheFrameIsStretchedAndSmallRectsDropParts) {
  NineGridSource source = ThreePixelFrame();
  source.margins = {};
  EXPECT_EQ(Parts(NineGridParts(source, {0, 0, 10, 10})), "260,0,520,40>0,0,10,10;");
  source.margins = {3, 3, 3, 3};
  // Smaller than the borders: the stretched parts have no room and are dropped.
  EXPECT_EQ(NineGridParts(source, {0, 0, 5, 5}).size(), 4u);
}

// Found by fuzzing: a margin or origin near the int limit wrapped the sums.
TEST(UxNineGrid, AbsurdSkinNumbersClipInsteadOfWrapping) {
  NineGridSource grid = ThreePixelFrame();
  grid.margins = {INT32_MAX, 3, INT32_MAX, 3};
  grid.origin_x = INT32_MAX;
  PlainSource plain;
  plain.image_width = 40;
  plain.image_height = 10;
  plain.margins = {INT32_MAX, INT32_MAX, 0, 0};
  plain.origin_x = INT32_MIN;
  for (const auto& parts : {NineGridParts(grid, {0, 0, 300, 60}), PlainParts(plain, {0, 0, 300, 60}),
                            PlainModeParts(plain, {0, 0, 300, 60}, 1)}) {
    for (const BlendPart& p : parts) {
      EXPECT_TRUE(p.src.left >= 0 && p.src.right <= 520 && p.src.left < p.src.right) << Parts(parts);
      EXPECT_LT(p.dst.left, p.dst.right) << Parts(parts);
    }
  }
  plain = {};
  plain.image_width = 1;
  plain.image_height = 1;
  plain.middle_tile = true;
  EXPECT_LE(PlainParts(plain, {0, 0, kMaxCoordinate, 1}).size(), 65536u) << "a tiled middle is bounded";
}

TEST(UxPlainDrawing, FramesAtNaturalSizeAndTheThreeSlicePath) {
  PlainSource frames;
  frames.image_width = 96;
  frames.image_height = 24;
  frames.subwidth = 24;
  frames.frame_count = 4;
  frames.frame = 6;
  EXPECT_EQ(Parts(PlainParts(frames, {10, 10, 200, 200})), "48,0,72,24>10,10,34,34;");

  PlainSource bar;  // the 548 × 4 progress fill at 40 %
  bar.image_width = 548;
  bar.image_height = 4;
  EXPECT_EQ(Parts(PlainParts(bar, {16, 106, 235, 110})), "0,0,219,4>16,106,235,110;");
  // Narrower than the rectangle: stretched across; taller rectangle: natural height.
  EXPECT_EQ(Parts(PlainParts(bar, {0, 0, 600, 10})), "0,0,548,4>0,0,600,4;");

  PlainSource tiled = bar;
  tiled.image_width = 10;
  tiled.middle_tile = true;
  EXPECT_EQ(Parts(PlainParts(tiled, {0, 0, 25, 4})), "0,0,10,4>0,0,10,4;0,0,10,4>10,0,20,4;0,0,5,4>20,0,25,4;");
}

TEST(UxProgressRules, RangeRatioTextAndFill) {
  ProgressRange range{0, 100, 150};
  EXPECT_DOUBLE_EQ(NormaliseProgress(range), 1.0);
  EXPECT_EQ(range.value, 100);
  ProgressRange inverted{100, 0, 40};
  EXPECT_DOUBLE_EQ(NormaliseProgress(inverted), 0.4);
  EXPECT_EQ(inverted.min, 0);
  ProgressRange empty{5, 5, 5};
  EXPECT_DOUBLE_EQ(NormaliseProgress(empty), 0.0);
  EXPECT_EQ(ProgressPercentText({0, 1000, 379}), L"37%");
  EXPECT_EQ(ProgressPercentText({0, 100, 37}), L"37%");
  EXPECT_EQ(ProgressPercentText({5, 5, 5}), L"0%");
  EXPECT_EQ(SkinFillRect({16, 106, 564, 110}, 0, 4, 0.4), (UxRect{16, 106, 235, 110}));
  EXPECT_EQ(SkinFillRect({0, 0, 10, 20}, 8, 4, 1.0), (UxRect{5, 8, 5, 12}));  // inset capped at half
  EXPECT_EQ(BlockFillRect({0, 0, 104, 20}, 0.5), (UxRect{2, 2, 52, 18}));
}

TEST(UxProgressRules, MarqueeGrowsWalksAndRestarts) {
  const UxRect bar{0, 0, 100, 10};
  MarqueeState state;
  std::vector<std::pair<int, int>> steps;
  for (int i = 0; i < 16; ++i) {
    AdvanceMarquee(state, bar);
    steps.emplace_back(state.block.left, state.block.right);
  }
  EXPECT_EQ(steps[0], std::make_pair(2, 12));
  EXPECT_EQ(steps[3], std::make_pair(2, 42));     // grown past 30 from the origin
  EXPECT_EQ(steps[4], std::make_pair(12, 52));    // then walks
  EXPECT_EQ(steps[10], std::make_pair(72, 100));  // 112 beyond the edge: pinned
  EXPECT_EQ(steps[13], std::make_pair(2, 2));     // left reached the edge: back to the origin
  EXPECT_EQ(steps[14], std::make_pair(2, 12));
}

TEST(UxSkinPool, FirstNameWinsUnknownTypesAndNamelessAreSkipped) {
  UxWorld world;
  world.images.sizes[3] = {96, 24};
  world.images.sizes[4] = {50, 50};
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(R"(<skins>
      <png name="close" src="3" subwidth="24"/><png name="close" src="4"/>
      <mystery name="odd" src="3"/><png src="4"/>
      <jpg name="j" src="4"/><button name="b" bg="FF0000"/><gradation name="g" from="000000" to="FFFFFF"/>
      <imglst name="l" src="4"/><skinpng name="sp" src="4" file="x.png"/></skins>)"));
  EXPECT_EQ(UxSkinPool::Instance().Size(), 6u);
  EXPECT_EQ(UxSkinPool::Instance().Find("close")->SkinFrameSize(), (UxSize{24, 24}));
  EXPECT_FALSE(UxSkinPool::Instance().Find("close")->IsStateless());
  EXPECT_EQ(UxSkinPool::Instance().Find("odd"), nullptr);
  EXPECT_FALSE(UxSkinPool::Instance().LoadDocument("<skin/>"));
  // Every other type draws something into the rectangle.
  for (const char* name : {"j", "b", "g", "l", "sp"}) {
    RecordingCanvas canvas;
    UxSkinPool::Instance().Find(name)->DrawSkin(canvas, {0, 0, 20, 20}, 0, false, 255);
    EXPECT_FALSE(canvas.calls.empty()) << name;
  }
}

TEST(UxSkinPool, SkinPngTakesItsFileFlipAndOwnAlpha) {
  UxWorld world;
  world.images.sizes[4] = {50, 50};
  world.images.files[L"wide.png"] = {80, 20};
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(R"(<skins>
      <skinpng name="own" src="4" file="wide.png" flip="1" alpha="128"/>
      <skinpng name="missing_file" src="4" file="absent.png"/>
      <png name="plain" src="4"/></skins>)"));
  CUxSkinBase* own = UxSkinPool::Instance().Find("own");
  EXPECT_EQ(own->SkinFrameSize(), (UxSize{80, 20})) << "the file, not the resource";
  EXPECT_EQ(world.images.rotate_flips, std::vector<int>{4}) << "flip is RotateNoneFlipX";
  RecordingCanvas canvas;
  own->DrawSkin(canvas, {0, 0, 80, 20}, 0, false, 200);
  own->DrawImage(canvas, {0, 0, 80, 20}, 0, 255);
  own->DrawImageMode(canvas, {0, 0, 80, 20}, 0, 0);
  EXPECT_EQ(canvas.calls,
            (std::vector<std::string>{"blend 0,0,80,20 -> 0,0,80,20 a100", "blend 0,0,80,20 -> 0,0,80,20 a128",
                                      "blend 0,0,80,20 -> 0,0,80,20 a128"}));
  EXPECT_EQ(UxSkinPool::Instance().Find("missing_file")->SkinFrameSize(), (UxSize{50, 50})) << "falls back to src";
  RecordingCanvas plain;
  UxSkinPool::Instance().Find("plain")->DrawSkin(plain, {0, 0, 50, 50}, 0, false, 200);
  EXPECT_EQ(plain.calls, std::vector<std::string>{"blend 0,0,50,50 -> 0,0,50,50 a200"});
  EXPECT_EQ(world.images.rotate_flips.size(), 1u);
}

TEST(UxDpiScale, OwnScalerRoundsToTheNearestPixel) {
  const UxDpiScaler at_150(144), at_125(120), at_100(96);
  EXPECT_EQ(at_150.ScaleLength(580), 870);
  EXPECT_EQ(at_150.ScaleLength(410), 615);
  EXPECT_EQ(at_150.ScaleFontHeight(-12), -18);
  EXPECT_EQ(at_125.ScaleLength(9), 11);
  EXPECT_EQ(at_125.ScaleLength(-9), -11);
  EXPECT_FALSE(at_100.IsScalingOn());
}

// Above 125 % a skin is drawn down from the art's double-size image, sharp;
// at 125 % and where no double-size image exists, up from its own.
TEST(UxDpiScale, DoubleSizeArtAboveAQuarterMore) {
  UxWorld world;
  world.images.sizes[5] = {40, 20};
  world.images.sizes[5 + kDoubleSizeImageOffset] = {80, 40};
  world.images.sizes[6] = {40, 20};
  ASSERT_TRUE(
      UxSkinPool::Instance().LoadDocument(R"(<skins><png name="art" src="5"/><png name="single" src="6"/></skins>)"));
  struct Case {
    int dpi;
    const char* skin;
    std::pair<int, int> from_to;
  } cases[] = {{144, "art", {80, 60}}, {192, "art", {80, 80}}, {120, "art", {40, 50}}, {192, "single", {40, 80}}};
  for (const Case& c : cases) {
    UseOwnDpiScaler(c.dpi);
    world.images.scaled.clear();
    RecordingCanvas canvas;
    UxSkinPool::Instance().Find(c.skin)->DrawSkin(canvas, {0, 0, 90, 30}, 0, true, 255);
    ASSERT_EQ(world.images.scaled.size(), 1u) << c.dpi << " " << c.skin;
    EXPECT_EQ(world.images.scaled[0], c.from_to) << c.dpi << " " << c.skin;
  }
  UseOwnDpiScaler(96);
}

TEST(UxSkinPool, MissingImageDrawsNothingAndIsRetried) {
  UxWorld world;
  ASSERT_TRUE(UxSkinPool::Instance().LoadDocument(R"(<skins><png name="late" src="9" subwidth="10"/></skins>)"));
  CUxSkinBase* skin = UxSkinPool::Instance().Find("late");
  RecordingCanvas canvas;
  skin->DrawSkin(canvas, {0, 0, 10, 10}, 0, false, 255);
  EXPECT_TRUE(canvas.calls.empty());
  EXPECT_EQ(skin->SkinFrameSize(), (UxSize{0, 0}));
  world.images.sizes[9] = {20, 10};
  EXPECT_EQ(skin->SkinFrameSize(), (UxSize{10, 10}));
  skin->DrawSkin(canvas, {0, 0, 10, 10}, 1, false, 128);
  EXPECT_EQ(canvas.calls, std::vector<std::string>{"blend 10,0,20,10 -> 0,0,10,10 a128"});
  EXPECT_EQ(world.images.decodes, 1);  // decoded once, then kept
}

}  // namespace
}  // namespace tw::ux
