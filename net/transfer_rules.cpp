#include "net/transfer_rules.h"

#include <cctype>

#include "platform/text.h"

namespace tw {

std::wstring FindHeaderValue(std::wstring_view headers, std::wstring_view name) {
  size_t pos = 0;
  while (pos < headers.size()) {
    while (pos < headers.size() && (headers[pos] == L'\r' || headers[pos] == L'\n')) ++pos;
    size_t end = pos;
    while (end < headers.size() && headers[end] != L'\r' && headers[end] != L'\n') ++end;
    const std::wstring_view line = headers.substr(pos, end - pos);
    pos = end;
    const size_t colon = line.find(L':');
    if (colon == std::wstring_view::npos) continue;
    const std::wstring_view lineName = line.substr(0, colon);
    std::wstring_view value = line.substr(colon + 1);
    if (lineName.empty() || value.empty() || !EqualsNoCase(lineName, name)) continue;
    while (!value.empty() && (value.front() == L' ' || value.front() == L'\t')) value.remove_prefix(1);
    return std::wstring(value);
  }
  return {};
}

double ProgressFraction(double now, double total) { return total > 0.000001 ? now / total : 0.0; }

uint32_t ProgressTotal(int64_t length) {
  return length <= 0 ? 0 : length >= int64_t{UINT32_MAX} ? UINT32_MAX : static_cast<uint32_t>(length);
}

std::vector<ProgressPost> DecideProgressPosts(ProgressState& state, uint32_t now, uint32_t totalLength,
                                              double fraction) {
  std::vector<ProgressPost> posts;
  if (!state.started) {
    state.started = true;
    if (fraction > 0.0 && fraction < 1.0) {
      posts.push_back(ProgressPost{static_cast<uint32_t>(fraction * 100), 0, true});
      state.lastFraction = fraction;
      state.lastTick = now;
      return posts;
    }
  }
  const uint32_t elapsed = now - state.lastTick;  // unsigned: survives the tick wrap
  if (elapsed > 80 && fraction > state.lastFraction) {
    const uint32_t speed = static_cast<uint32_t>((fraction - state.lastFraction) * totalLength / elapsed);
    posts.push_back(ProgressPost{static_cast<uint32_t>(fraction * 100), speed});
    state.lastSpeed = speed;
    state.lastFraction = fraction;
    state.lastTick = now;
  }
  if (1.0 - fraction < 0.0001) posts.push_back(ProgressPost{100, state.lastSpeed});
  return posts;
}

std::wstring_view LastAnswer(std::wstring_view headers, int& status) {
  constexpr std::wstring_view kStatusLine = L"HTTP/";
  size_t last = headers.substr(0, kStatusLine.size()) == kStatusLine ? 0 : std::wstring_view::npos;
  for (size_t at = headers.find(L'\n'); at != std::wstring_view::npos; at = headers.find(L'\n', at + 1)) {
    if (headers.substr(at + 1, kStatusLine.size()) == kStatusLine) last = at + 1;
  }
  status = 0;
  if (last == std::wstring_view::npos) return headers;
  const std::wstring_view answer = headers.substr(last);
  const size_t blank = answer.find(L' ');
  if (blank != std::wstring_view::npos && blank < answer.find(L'\n'))
    status = ParseLeadingInt(answer.substr(blank + 1));
  return answer;
}

bool IsHttpsAddress(std::string_view url) {
  constexpr std::string_view kHttps = "https://";
  if (url.size() <= kHttps.size()) return false;
  for (size_t i = 0; i < kHttps.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(url[i])) != kHttps[i]) return false;
  }
  return true;
}

std::string HostOfUrl(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::string();
  std::string_view rest = url.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  const size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest = rest.substr(at + 1);
  if (!rest.empty() && rest.front() == '[') {
    const size_t close = rest.find(']');
    return close == std::string_view::npos ? std::string() : std::string(rest.substr(1, close - 1));
  }
  return std::string(rest.substr(0, rest.find(':')));
}

}  // namespace tw
