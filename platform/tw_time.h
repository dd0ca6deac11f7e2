// Date-time values as the configuration documents write them: seconds since
// 1970 UTC, parsed from "2023-02-28 12:00:00" or "2023年2月28日12时0分0秒"
// in local time. Out-of-range values fall back to 2000-01-01 local time
// rather than failing, so a damaged date in a document never stops a check.
#pragma once

#include <cstdint>
#include <string_view>

namespace cf {
namespace time {

class TwTime {
 public:
  static constexpr int64_t kLatestValid = 32535244798;  // 3001-01-01 07:59:58 UTC

  TwTime() = default;
  explicit TwTime(int64_t seconds) { Set(seconds); }
  explicit TwTime(std::wstring_view text) { Parse(text); }
  static TwTime Now();

  // Values outside 0..kLatestValid store 2000-01-01 00:00:00 local time.
  void Set(int64_t seconds);
  // Leaves the value unchanged when the text has neither date form.
  void Parse(std::wstring_view text);
  int64_t Value() const { return m_seconds; }

 private:
  int64_t m_seconds = 0;
};

class TwTimeSpan {
 public:
  TwTimeSpan() = default;
  explicit TwTimeSpan(int64_t seconds) : m_seconds(seconds) {}
  TwTimeSpan(int64_t days, int hours, int minutes, int seconds)
      : m_seconds(days * 86400 + int64_t{hours} * 3600 + int64_t{minutes} * 60 + seconds) {}
  int64_t Seconds() const { return m_seconds; }
  int64_t Days() const { return m_seconds / 86400; }

 private:
  int64_t m_seconds = 0;
};

// Seconds since 1970 UTC of a local calendar time (mktime normalisation:
// 30 February becomes 2 March); -1 when it cannot be represented.
int64_t LocalTimeToSeconds(int year, int month, int day, int hour, int minute, int second);

}  // namespace time
}  // namespace cf
