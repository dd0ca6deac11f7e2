#include "platform/log_format.h"

#include <cstdio>
#include <cstring>

namespace tw {

std::string FormatLogPrefix(const LogTimestamp& t) {
  char prefix[64] = {};
  std::snprintf(prefix, sizeof prefix, "%d-%d-%d %02d:%02d:%02d %03d  ", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.millisecond);
  return prefix;
}

int FormatLogMessage(char (&buffer)[kLogMessageBufferSize], const char* format, va_list args) {
  std::memset(buffer, 0, sizeof buffer);
  const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
  if (written < 0 || written >= kLogMessageBufferSize) return -1;
  return written;
}

}  // namespace tw
