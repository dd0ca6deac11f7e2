// Animation objects: a description ("[from,to]:[from,to]|delay,duration,easing")
// turned into value tracks that follow an easing over the elapsed time.
// Four kinds by their value names: transform "x:y", alpha, scale, sequence.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/animation/easing.h"

namespace tw::ux {

struct AnimationTrack {
  float from = 0;
  float to = 0;
  float step = 0;  // per frame at 60 frames a second
  float value = 0;
  float previous = 0;
  std::unique_ptr<ease_tween::IAnimateData> easing;
};

class CUXAnimateBase {
 public:
  virtual ~CUXAnimateBase() = default;
  // "x:y", "alpha", "scale" or "sequence".
  virtual std::string_view ValueNames() const = 0;

  // The whole description; false (and inactive) when refused.
  bool ParseDescription(std::string_view text);
  [[nodiscard]] bool ParseTiming(std::string_view text);
  [[nodiscard]] bool ParseValues(std::string_view text);
  static std::optional<AnimationTrack> ParseTrack(std::string_view text, double duration, int easing);

  // Adds the elapsed milliseconds and sets every track to its eased value.
  void Update(double elapsed_ms);
  void Reset() { m_total = 0; }
  bool Started() const noexcept { return m_duration != 0 && m_total >= m_delay; }
  bool Finished() const noexcept { return m_total >= m_delay + m_duration; }
  float Value(size_t track) const noexcept { return track < m_tracks.size() ? m_tracks[track].value : 0; }
  // Adds the elapsed time; 0 before the delay, then the fraction of the
  // duration capped at 1; nothing when the duration is 0.
  std::optional<double> Progress(double elapsed_ms);
  bool Changed() const noexcept;

  bool Active() const noexcept { return m_active; }
  double Delay() const noexcept { return m_delay; }
  double Duration() const noexcept { return m_duration; }
  int EasingNumber() const noexcept { return m_easing; }
  size_t TrackCount() const noexcept { return m_tracks.size(); }

 private:
  bool m_active = false;
  double m_delay = 0;
  double m_duration = 0;
  int m_easing = 0;
  double m_total = 0;
  std::vector<AnimationTrack> m_tracks;
};

class CUXTransformAnimate : public CUXAnimateBase {
 public:
  std::string_view ValueNames() const override { return "x:y"; }
};
class CUXAlphaAnimate : public CUXAnimateBase {
 public:
  std::string_view ValueNames() const override { return "alpha"; }
};
class CUXScaleAnimate : public CUXAnimateBase {
 public:
  std::string_view ValueNames() const override { return "scale"; }
};
class CUXSequenceFrameAnimate : public CUXAnimateBase {
 public:
  std::string_view ValueNames() const override { return "sequence"; }
};

}  // namespace tw::ux
