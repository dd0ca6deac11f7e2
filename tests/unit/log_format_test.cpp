#include <gtest/gtest.h>

#include <string>

#include "platform/log_format.h"

namespace tw {
namespace {

int Format(char (&buffer)[kLogMessageBufferSize], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int result = FormatLogMessage(buffer, format, args);
  va_end(args);
  return result;
}

TEST(LogFormat, PrefixHasNoLeadingZerosInTheDateAndTwoBlanks) {
  EXPECT_EQ(FormatLogPrefix({2026, 3, 7, 9, 5, 1, 42}), "2026-3-7 09:05:01 042  ");
  EXPECT_EQ(FormatLogPrefix({2026, 12, 31, 23, 59, 59, 999}), "2026-12-31 23:59:59 999  ");
}

TEST(LogFormat, MessagesAreCutAt499Bytes) {
  char buffer[kLogMessageBufferSize];
  EXPECT_EQ(Format(buffer, "nRet=%d m_nCompanyID=%s", 5, "1029"), 24);
  EXPECT_STREQ(buffer, "nRet=5 m_nCompanyID=1029");

  const std::string exact(499, 'x');
  EXPECT_EQ(Format(buffer, "%s", exact.c_str()), 499);
  EXPECT_EQ(std::string(buffer), exact);

  const std::string longer(600, 'y');
  EXPECT_LT(Format(buffer, "%s", longer.c_str()), 0);
  EXPECT_EQ(std::string(buffer), std::string(499, 'y'));
}

}  // namespace
}  // namespace tw
