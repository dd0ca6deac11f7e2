#include "ui/animation/animation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tw::ux {

namespace {

std::string WithoutSpaces(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != ' ') out += c;
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

std::optional<double> Number(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

bool CUXAnimateBase::ParseDescription(std::string_view text) {
  m_active = false;
  m_tracks.clear();
  const std::string compact = WithoutSpaces(text);
  const size_t bar = compact.find('|');
  if (bar == std::string::npos) return false;
  if (!ParseTiming(std::string_view(compact).substr(bar + 1))) return false;
  if (!ParseValues(std::string_view(compact).substr(0, bar))) return false;
  m_total = 0;
  m_active = true;
  return true;
}

bool CUXAnimateBase::ParseTiming(std::string_view text) {
  const std::string timing = WithoutSpaces(text);  // the parts below point into it
  const std::vector<std::string_view> parts = Split(timing, ',');
  if (parts.size() < 2) return false;
  const auto delay = Number(parts[0]);
  const auto duration = Number(parts[1]);
  if (!delay || !duration || *delay < 0 || *duration < 0) return false;
  m_delay = *delay;
  m_duration = *duration;
  m_easing = parts.size() > 2 ? std::atoi(std::string(parts[2]).c_str()) : 0;
  return true;
}

bool CUXAnimateBase::ParseValues(std::string_view text) {
  const std::vector<std::string_view> names = Split(ValueNames(), ':');
  const std::vector<std::string_view> parts = Split(text, ':');
  if (parts.size() != names.size()) return false;
  std::vector<AnimationTrack> tracks;
  for (std::string_view part : parts) {
    std::optional<AnimationTrack> track = ParseTrack(part, m_duration, m_easing);
    if (!track) return false;
    tracks.push_back(std::move(*track));
  }
  m_tracks = std::move(tracks);
  return true;
}

std::optional<AnimationTrack> CUXAnimateBase::ParseTrack(std::string_view text, double duration, int easing) {
  if (text.size() < 5 || text.front() != '[' || text.back() != ']') return std::nullopt;
  const std::vector<std::string_view> pair = Split(text.substr(1, text.size() - 2), ',');
  if (pair.size() != 2) return std::nullopt;
  const auto from = Number(pair[0]);
  const auto to = Number(pair[1]);
  if (!from || !to) return std::nullopt;
  AnimationTrack track;
  track.from = static_cast<float>(*from);
  track.to = static_cast<float>(*to);
  track.value = track.previous = track.from;
  if (duration != 0) track.step = static_cast<float>(std::fabs(*to - *from) / (duration * 60.0 / 1000.0));
  track.easing = std::make_unique<ease_tween::TwEaseTweenSimpleAnimateData>(easing);
  track.easing->SetTime(0);
  track.easing->Init(1.0f, track.from, track.to - track.from);
  return track;
}

std::optional<double> CUXAnimateBase::Progress(double elapsed_ms) {
  m_total += elapsed_ms;
  if (m_duration == 0) return std::nullopt;
  if (m_total < m_delay) return 0.0;
  return std::min(1.0, (m_total - m_delay) / m_duration);
}

void CUXAnimateBase::Update(double elapsed_ms) {
  const std::optional<double> progress = Progress(elapsed_ms);
  if (!progress) return;
  for (AnimationTrack& track : m_tracks) {
    track.previous = track.value;
    track.easing->SetTime(static_cast<float>(*progress));
    track.value = track.easing->Value();
  }
}

bool CUXAnimateBase::Changed() const noexcept {
  return std::any_of(m_tracks.begin(), m_tracks.end(), [](const AnimationTrack& t) { return t.value != t.previous; });
}

}  // namespace tw::ux
