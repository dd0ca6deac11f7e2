// How one log line looks. Kept apart from the writer so the exact bytes can
// be checked without a file, a thread or a named event.
#pragma once

#include <cstdarg>
#include <string>

namespace tw {

// Room for a message: at most 499 bytes plus the terminator. Longer
// messages are cut, not rejected: a log line is evidence, even partial.
constexpr int kLogMessageBufferSize = 500;

struct LogTimestamp {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "2026-3-7 09:05:01 042  ": date without leading zeros, two blanks after.
std::string FormatLogPrefix(const LogTimestamp& time);

// Formats into `buffer` (zeroed first). Returns the length, or -1 when the
// message was cut to 499 bytes.
int FormatLogMessage(char (&buffer)[kLogMessageBufferSize], const char* format, va_list args);

}  // namespace tw
