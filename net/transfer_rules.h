// The arithmetic and text rules of downloads, apart from libcurl and the OS
// so they can be checked exactly: header lookup, progress fractions, the
// progress-message throttle.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The value of the first header line named `name` (any letter case), with
// leading blanks removed; empty when absent. Lines split at runs of CR/LF,
// each at its first ':'; a line with an empty name or value never matches.
std::wstring FindHeaderValue(std::wstring_view headers, std::wstring_view name);

// The last answer of a header text that may hold several (a proxy's
// CONNECT answer, redirects): from the last line that starts "HTTP/" to the
// end; the whole text when no line does. `status` gets its status code (0
// when the line has none).
std::wstring_view LastAnswer(std::wstring_view headers, int& status);

// The host of an address: between "scheme://" (and any "user@") and the
// port or path; brackets of an IPv6 literal removed. Empty when there is none.
std::string HostOfUrl(std::string_view url);

// True when the address's scheme is https (any letter case).
bool IsHttpsAddress(std::string_view url);

// libcurl's byte counts as a fraction: 0 while the total is unknown.
double ProgressFraction(double now, double total);

// The total length the progress callback takes (32 bits, its speed figures
// only): a length beyond that holds at the largest value, not wrapped.
uint32_t ProgressTotal(int64_t length);

// One decision of the progress sink: what to post for a progress call.
struct ProgressState {
  uint32_t lastSpeed = 0;  // bytes per millisecond
  uint32_t lastTick = 0;   // GetTickCount of the last post
  double lastFraction = 0.0;
  bool started = false;  // a call of this transfer was decided
};
struct ProgressPost {
  uint32_t percent;
  uint32_t speed;
  bool continuing = false;  // the transfer's first post, from a share an earlier run fetched
};
// Posts at most once per 80 ms and only when the fraction grew, then the
// final 100 % as the fraction reaches 1. A transfer's first call that
// already holds a share (a continued download) posts that share at once,
// marked continuing and with no speed: it came before, not in 0 ms.
// Updates `state` for what it posts.
std::vector<ProgressPost> DecideProgressPosts(ProgressState& state, uint32_t now, uint32_t totalLength,
                                              double fraction);

}  // namespace tw
