#include "platform/tw_time.h"

#include <ctime>
#include <string>
#include <vector>

#include "platform/text.h"

namespace cf {
namespace time {
namespace {

int64_t Year2000() { return LocalTimeToSeconds(2000, 1, 1, 0, 0, 0); }

long PartValue(std::wstring_view part) { return tw::ParseLeadingLong(tw::TrimBlanks(part)); }

std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
    if (end == std::wstring_view::npos) break;
    start = end + 1;
  }
  return parts;
}

long PartAt(const std::vector<std::wstring_view>& parts, size_t index) {
  return index < parts.size() ? PartValue(parts[index]) : 0;
}

}  // namespace

int64_t LocalTimeToSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;
  const std::time_t value = std::mktime(&fields);
  return value == static_cast<std::time_t>(-1) ? -1 : static_cast<int64_t>(value);
}

TwTime TwTime::Now() { return TwTime(static_cast<int64_t>(std::time(nullptr))); }

void TwTime::Set(int64_t seconds) { m_seconds = (seconds >= 0 && seconds <= kLatestValid) ? seconds : Year2000(); }

void TwTime::Parse(std::wstring_view text) {
  long fields[6] = {};  // year, month, day, hour, minute, second
  const size_t yearMark = text.find(L'年');
  const size_t dash = text.find(L'-');
  if (yearMark != std::wstring_view::npos && yearMark >= 1) {
    static const wchar_t kUnits[6] = {L'年', L'月', L'日', L'时', L'分', L'秒'};
    size_t from = 0;
    for (int i = 0; i < 6; ++i) {
      const size_t at = text.find(kUnits[i], from);
      if (at == std::wstring_view::npos) continue;
      fields[i] = PartValue(text.substr(from, at - from));
      from = at + 1;
    }
  } else if (dash != std::wstring_view::npos && dash >= 1) {
    const size_t space = text.find(L' ');
    const std::wstring_view date = text.substr(0, space);
    const std::wstring_view clock = space == std::wstring_view::npos ? std::wstring_view() : text.substr(space + 1);
    const auto dateParts = Split(date, L'-');
    const auto clockParts = Split(clock, L':');
    for (int i = 0; i < 3; ++i) {
      fields[i] = PartAt(dateParts, i);
      fields[i + 3] = PartAt(clockParts, i);
    }
  } else {
    return;
  }

  long& year = fields[0];
  long& month = fields[1];
  long& day = fields[2];
  long& hour = fields[3];
  long& minute = fields[4];
  long& second = fields[5];
  if (year == 0 || month == 0 || day == 0) {
    Set(Year2000());
    return;
  }
  if (second >= 60) second = 0;
  if (minute >= 60) minute = 0;
  if (hour > 23) hour = 0;
  if (day == 0 || day > 31) day = 1;
  if (month == 0 || month > 12) month = 1;
  if (year < 1900 || year >= 3000) year = 2000;
  Set(LocalTimeToSeconds(year, month, day, hour, minute, second));
}

}  // namespace time
}  // namespace cf
