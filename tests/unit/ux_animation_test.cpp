// The easing library pinned at its ends and midpoints, and animation
// descriptions with their timing rules.
#include <gtest/gtest.h>

#include "ui/animation/animation.h"
#include "ui/animation/easing.h"

namespace tw::ux {
namespace {

TEST(UxEasing, EveryFamilyAndFormAtItsEndsAndMiddle) {
  // (number, t) → value with b = 10, c = 100, d = 2; ends are exact or within float rounding.
  struct Case {
    int number;
    float t;
    float value;
  } cases[] = {
      {0, 1, 60},       {41, 1, 60},       {99, 0.5f, 35},    {-3, 2, 110},
      {1, 1, 35},       {2, 1, 85},        {3, 1, 60},        {4, 1, 60},    // Quad
      {5, 1, 22.5f},    {6, 1, 97.5f},     {7, 0.5f, 16.25f}, {8, 1, 60},    // Cubic
      {9, 1, 16.25f},   {10, 1, 103.75f},  {11, 1, 60},       {12, 1, 60},   // Quart
      {13, 1, 13.125f}, {14, 1, 106.875f}, {15, 1, 60},       {16, 1, 60},   // Quint
      {17, 2, 110},     {18, 2, 110},      {19, 1, 60},       {20, 1, 60},   // Sine
      {21, 0, 10},      {21, 2, 109.9f},   {22, 2, 110},      {23, 0, 10},   // Expo
      {23, 2, 110},     {24, 0, 10},                                         // Expo OutIn starts at b
      {25, 2, 110},     {26, 2, 110},      {27, 1, 60},       {28, 1, 60},   // Circ
      {29, 0, 10},      {29, 2, 110},      {30, 0, 10},       {30, 2, 110},  // Elastic
      {31, 2, 110},     {32, 1, 60},                                         // Elastic InOut, OutIn
      {33, 0, 10},      {33, 2, 110},      {34, 2, 110},      {35, 1, 60},   // Back
      {37, 2, 110},     {38, 2, 110},      {38, 0, 10},       {39, 1, 60},   // Bounce
      {40, 1, 60},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(Ease(c.number, c.t, 10, 100, 2), c.value, 0.01f) << c.number << " at " << c.t;
  }
  EXPECT_EQ(Ease(21, 0, 10, 100, 2), 10.0f) << "Expo In starts exactly at b";
  EXPECT_EQ(Ease(22, 2, 10, 100, 2), 110.0f) << "Expo Out ends exactly at b + c";
  EXPECT_EQ(Ease(38, 2, 10, 100, 2), 110.0f) << "Bounce Out ends exactly";
  float lowest = 10;
  for (float t = 0; t <= 2; t += 0.05f) lowest = std::min(lowest, Ease(33, t, 10, 100, 2));
  EXPECT_NEAR(lowest, 10 - 10.0f, 0.3f) << "Back In dips about 10 % of c below b";
}

TEST(UxEasing, AnimateDataAdvancesWithinItsDuration) {
  ease_tween::TwEaseTweenSimpleAnimateData data(1);
  data.Init(4, 0, 16);
  data.SetUser(7);
  EXPECT_EQ(data.Advance(1), 0.0f);
  EXPECT_EQ(data.Value(), 1.0f);  // Quad In at t = 1 of 4: 16 / 16
  EXPECT_EQ(data.EaseWith(100, 32), 102.0f);
  EXPECT_EQ(data.Advance(10), 1.0f);
  EXPECT_EQ(data.GetTime(), 4.0f);
  EXPECT_EQ(data.IsFinished(), 1.0f);
  EXPECT_EQ(data.GetUser(), 7);
  data.Reset();
  EXPECT_EQ(data.GetDuration(), 0.0f);
}

TEST(UxAnimationDescription, GoodAndRefusedDescriptions) {
  CUXTransformAnimate move;
  EXPECT_TRUE(move.ParseDescription("[0, 100] : [5,5] | 500, 1000, 2"));
  EXPECT_EQ(move.TrackCount(), 2u);
  EXPECT_EQ(move.Delay(), 500);
  EXPECT_EQ(move.Duration(), 1000);
  EXPECT_EQ(move.EasingNumber(), 2);
  CUXAlphaAnimate fade;
  EXPECT_TRUE(fade.ParseDescription("[255,0]|0,300"));
  EXPECT_EQ(fade.EasingNumber(), 0) << "no easing given: linear";
  for (const char* refused : {"[0,1]", "[0,1]|300", "[0,1]:[2,3]|0,100", "[0,1|0,100", "|0,100", "[a,1]|0,100"}) {
    CUXAlphaAnimate alpha;
    EXPECT_FALSE(alpha.ParseDescription(refused)) << refused;
    EXPECT_FALSE(alpha.Active()) << refused;
  }
  CUXAlphaAnimate spaced;  // found by fuzzing: the timing's parts outlived their text
  EXPECT_TRUE(spaced.ParseTiming(" 5 00 , 1 000 , 3 "));
  EXPECT_EQ(spaced.Delay(), 500);
  EXPECT_EQ(spaced.Duration(), 1000);
  EXPECT_EQ(spaced.EasingNumber(), 3);
  CUXTransformAnimate one_pair;
  EXPECT_FALSE(one_pair.ParseDescription("[0,1]|0,100")) << "transform takes two pairs";
}

TEST(UxAnimationDescription, DelayProgressAndFinish) {
  CUXScaleAnimate scale;
  ASSERT_TRUE(scale.ParseDescription("[1,2]|500,1000"));
  for (int tick = 0; tick < 24; ++tick) {
    scale.Update(20);  // 480 ms: still inside the delay
    EXPECT_EQ(scale.Value(0), 1.0f);
  }
  EXPECT_FALSE(scale.Started());
  scale.Update(520);  // 1000 ms: half way
  EXPECT_TRUE(scale.Started());
  EXPECT_NEAR(scale.Value(0), 1.5f, 1e-5f);
  EXPECT_TRUE(scale.Changed());
  scale.Update(2000);
  EXPECT_TRUE(scale.Finished());
  EXPECT_EQ(scale.Value(0), 2.0f);
  CUXSequenceFrameAnimate still;
  ASSERT_TRUE(still.ParseDescription("[0,9]|0,0"));
  EXPECT_FALSE(still.Progress(100).has_value()) << "a zero duration never advances";
}

}  // namespace
}  // namespace tw::ux
