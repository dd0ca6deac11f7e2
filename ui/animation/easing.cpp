#include "ui/animation/easing.h"

#include <cmath>

namespace tw::ux {

namespace {

constexpr float kPi = 3.14159265358979323846f;

float Linear(float t, float b, float c, float d) { return c * t / d + b; }

template <int N>
float PowerIn(float t, float b, float c, float d) {
  const float x = t / d;
  float p = 1;
  for (int i = 0; i < N; ++i) p *= x;
  return c * p + b;
}
template <int N>
float PowerOut(float t, float b, float c, float d) {
  const float x = 1 - t / d;
  float p = 1;
  for (int i = 0; i < N; ++i) p *= x;
  return c * (1 - p) + b;
}
template <int N>
float PowerInOut(float t, float b, float c, float d) {
  const float u = t / (d / 2);
  if (u < 1) {
    float p = 1;
    for (int i = 0; i < N; ++i) p *= u;
    return c / 2 * p + b;
  }
  float p = 1;
  for (int i = 0; i < N; ++i) p *= 2 - u;
  return c / 2 * (2 - p) + b;
}

float SineIn(float t, float b, float c, float d) { return -c * std::cos(t / d * (kPi / 2)) + c + b; }
float SineOut(float t, float b, float c, float d) { return c * std::sin(t / d * (kPi / 2)) + b; }
float SineInOut(float t, float b, float c, float d) { return -c / 2 * (std::cos(kPi * t / d) - 1) + b; }

float ExpoIn(float t, float b, float c, float d) {
  return t == 0 ? b : c * std::pow(2.0f, 10 * (t / d - 1)) + b - c * 0.001f;
}
float ExpoOut(float t, float b, float c, float d) {
  return t == d ? b + c : c * 1.001f * (1 - std::pow(2.0f, -10 * t / d)) + b;
}
float ExpoInOut(float t, float b, float c, float d) {
  if (t == 0) return b;
  if (t == d) return b + c;
  const float u = t / (d / 2);
  if (u < 1) return c / 2 * std::pow(2.0f, 10 * (u - 1)) + b - c * 0.0005f;
  return c / 2 * 1.0005f * (2 - std::pow(2.0f, -10 * (u - 1))) + b;
}

float CircIn(float t, float b, float c, float d) {
  const float x = t / d;
  return -c * (std::sqrt(1 - x * x) - 1) + b;
}
float CircOut(float t, float b, float c, float d) {
  const float x = t / d - 1;
  return c * std::sqrt(1 - x * x) + b;
}
float CircInOut(float t, float b, float c, float d) {
  const float u = t / (d / 2);
  if (u < 1) return -c / 2 * (std::sqrt(1 - u * u) - 1) + b;
  const float v = u - 2;
  return c / 2 * (std::sqrt(1 - v * v) + 1) + b;
}

float ElasticIn(float t, float b, float c, float d) {
  if (t == 0) return b;
  if (t == d) return b + c;
  const float p = d * 0.3f, a = c, s = p / 4;
  const float x = t / d - 1;
  return -(a * std::pow(2.0f, 10 * x) * std::sin((x * d - s) * (2 * kPi) / p)) + b;
}
float ElasticOut(float t, float b, float c, float d) {
  if (t == 0) return b;
  if (t == d) return b + c;
  const float p = d * 0.3f, a = c, s = p / 4;
  return a * std::pow(2.0f, -10 * t / d) * std::sin((t - s) * (2 * kPi) / p) + c + b;
}
float ElasticInOut(float t, float b, float c, float d) {
  if (t == 0) return b;
  const float u = t / (d / 2) - 1;
  if (u >= 1) return b + c;
  const float p = d * 0.45f, a = c, s = p / 4;
  if (u < 0) return -a / 2 * std::pow(2.0f, 10 * u) * std::sin((u * d - s) * (2 * kPi) / p) + b;
  return a / 2 * std::pow(2.0f, -10 * u) * std::sin((u * d - s) * (2 * kPi) / p) + c + b;
}

constexpr float kBack = 1.70158f;
float BackIn(float t, float b, float c, float d) {
  const float x = t / d;
  return c * x * x * ((kBack + 1) * x - kBack) + b;
}
float BackOut(float t, float b, float c, float d) {
  const float x = t / d - 1;
  return c * (x * x * ((kBack + 1) * x + kBack) + 1) + b;
}
float BackInOut(float t, float b, float c, float d) {
  const float s = kBack * 1.525f;
  const float u = t / (d / 2);
  if (u < 1) return c / 2 * (u * u * ((s + 1) * u - s)) + b;
  const float v = u - 2;
  return c / 2 * (v * v * ((s + 1) * v + s) + 2) + b;
}

float BounceOut(float t, float b, float c, float d) {
  float x = t / d;
  float y;
  if (x < 0.36363637f) {
    y = 7.5625f * x * x;
  } else if (x < 0.72727275f) {
    x -= 0.54545456f;
    y = 7.5625f * x * x + 0.75f;
  } else if (x < 0.90909094f) {
    x -= 0.8181818f;
    y = 7.5625f * x * x + 0.9375f;
  } else {
    x -= 0.95454544f;
    y = 7.5625f * x * x + 0.984375f;
  }
  return c * y + b;
}
float BounceIn(float t, float b, float c, float d) { return c - BounceOut(d - t, 0, c, d) + b; }
float BounceInOut(float t, float b, float c, float d) {
  if (t < d / 2) return BounceIn(t * 2, 0, c, d) / 2 + b;
  return BounceOut(t * 2 - d, 0, c, d) / 2 + c / 2 + b;
}

template <EasingFunction Out, EasingFunction In>
float OutIn(float t, float b, float c, float d) {
  if (t < d / 2) return Out(t * 2, b, c / 2, d);
  return In(t * 2 - d, b + c / 2, c / 2, d);
}

#define TW_FAMILY(in, out, inout) in, out, inout, OutIn<out, in>
constexpr EasingFunction kEasings[41] = {
    Linear,
    TW_FAMILY(PowerIn<2>, PowerOut<2>, PowerInOut<2>),
    TW_FAMILY(PowerIn<3>, PowerOut<3>, PowerInOut<3>),
    TW_FAMILY(PowerIn<4>, PowerOut<4>, PowerInOut<4>),
    TW_FAMILY(PowerIn<5>, PowerOut<5>, PowerInOut<5>),
    TW_FAMILY(SineIn, SineOut, SineInOut),
    TW_FAMILY(ExpoIn, ExpoOut, ExpoInOut),
    TW_FAMILY(CircIn, CircOut, CircInOut),
    TW_FAMILY(ElasticIn, ElasticOut, ElasticInOut),
    TW_FAMILY(BackIn, BackOut, BackInOut),
    TW_FAMILY(BounceIn, BounceOut, BounceInOut),
};
#undef TW_FAMILY

}  // namespace

EasingFunction EasingByNumber(int number) noexcept { return number >= 1 && number <= 40 ? kEasings[number] : Linear; }

float Ease(int number, float t, float b, float c, float d) noexcept { return EasingByNumber(number)(t, b, c, d); }

namespace ease_tween {

float TwEaseTweenSimpleAnimateData::Advance(float dt) {
  const float old = m_t;
  m_t = m_t + dt < m_d ? m_t + dt : m_d;
  return old;
}

void TwEaseTweenSimpleAnimateData::Init(float d, float b, float c) {
  m_d = d;
  m_b = b;
  m_c = c;
}

float TwEaseTweenSimpleAnimateData::EaseWith(float b, float c) const { return m_function(m_t, b, c, m_d); }

}  // namespace ease_tween
}  // namespace tw::ux
