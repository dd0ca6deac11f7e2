#include <gtest/gtest.h>

#include "platform/tw_time.h"

namespace cf::time {
namespace {

int64_t Local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return LocalTimeToSeconds(y, mo, d, h, mi, s); }

TEST(TwTime, ParsesBothDateForms) {
  struct Case {
    const wchar_t* text;
    int64_t expected;
  } cases[] = {
      {L"2023-02-28 12:34:56", Local(2023, 2, 28, 12, 34, 56)},
      {L"2023年2月28日12时34分56秒", Local(2023, 2, 28, 12, 34, 56)},
      {L"2023-2-28  1: 2 :3", Local(2023, 2, 28, 1, 2, 3)},  // parts are trimmed
      {L"2023-02-30 12:00:00", Local(2023, 3, 2, 12)},       // normalised to 2 March
      {L"2023-00-05", Local(2000, 1, 1)},                    // a zero month
      {L"2023-13-40 24:60:60", Local(2023, 1, 1)},           // each field corrected
      {L"1899-5-5", Local(2000, 5, 5)},
      {L"3000-5-5", Local(2000, 5, 5)},
      {L"2023年5月", Local(2000, 1, 1)},  // no day
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(TwTime(c.text).Value(), c.expected);
  }
}

TEST(TwTime, TextWithoutADateLeavesTheValue) {
  EXPECT_EQ(TwTime(L"20230228").Value(), 0);
  EXPECT_EQ(TwTime(L"-2023").Value(), 0) << "a separator at position 0 does not count";
  TwTime time(int64_t{1234});
  time.Parse(L"not a date");
  EXPECT_EQ(time.Value(), 1234);
}

TEST(TwTime, OutOfRangeValuesBecomeYear2000) {
  EXPECT_EQ(TwTime(int64_t{0}).Value(), 0);
  EXPECT_EQ(TwTime(TwTime::kLatestValid).Value(), TwTime::kLatestValid);
  EXPECT_EQ(TwTime(TwTime::kLatestValid + 1).Value(), Local(2000, 1, 1));
  EXPECT_EQ(TwTime(int64_t{-1}).Value(), Local(2000, 1, 1));
}

TEST(TwTimeSpan, CountsSecondsAndWholeDays) {
  const TwTimeSpan span(2, 3, 4, 5);
  EXPECT_EQ(span.Seconds(), 2 * 86400 + 3 * 3600 + 4 * 60 + 5);
  EXPECT_EQ(span.Days(), 2);
  EXPECT_EQ(TwTimeSpan(86399).Days(), 0);
}

}  // namespace
}  // namespace cf::time
