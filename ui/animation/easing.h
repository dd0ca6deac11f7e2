// The easing library: Robert Penner's equations in their Tweener form,
// computed in 32-bit floats, numbered as animation descriptions refer to
// them: 0 and above 40 linear; 1..40 the families Quad, Cubic, Quart, Quint,
// Sine, Expo, Circ, Elastic, Back, Bounce, each In, Out, InOut, OutIn.
#pragma once

namespace tw::ux {

// t elapsed, b begin, c change, d duration.
using EasingFunction = float (*)(float t, float b, float c, float d);

EasingFunction EasingByNumber(int number) noexcept;
float Ease(int number, float t, float b, float c, float d) noexcept;

namespace ease_tween {

// One easing over (t, d, b, c) plus a user integer.
class IAnimateData {
 public:
  virtual ~IAnimateData() = default;
  virtual void Reset() = 0;
  // Returns the old time; the time never passes the duration.
  virtual float Advance(float dt) = 0;
  virtual void Init(float d, float b, float c) = 0;
  virtual void SetUser(int user) = 0;
  virtual int GetUser() const = 0;
  virtual float EaseWith(float b, float c) const = 0;
  virtual float Value() const = 0;
  virtual float IsFinished() const = 0;  // 1.0 or 0.0
  virtual float GetChange() const = 0;
  virtual float GetBegin() const = 0;
  virtual void SetTime(float t) = 0;
  virtual float GetTime() const = 0;
  virtual float GetDuration() const = 0;
};

class TwEaseTweenSimpleAnimateData final : public IAnimateData {
 public:
  explicit TwEaseTweenSimpleAnimateData(int easing) : m_function(EasingByNumber(easing)) {}
  void Reset() override { m_t = m_d = m_b = m_c = 0; }
  float Advance(float dt) override;
  void Init(float d, float b, float c) override;
  void SetUser(int user) override { m_user = user; }
  int GetUser() const override { return m_user; }
  float EaseWith(float b, float c) const override;
  float Value() const override { return EaseWith(m_b, m_c); }
  float IsFinished() const override { return m_t >= m_d ? 1.0f : 0.0f; }
  float GetChange() const override { return m_c; }
  float GetBegin() const override { return m_b; }
  void SetTime(float t) override { m_t = t; }
  float GetTime() const override { return m_t; }
  float GetDuration() const override { return m_d; }

 private:
  EasingFunction m_function;
  float m_t = 0, m_d = 0, m_b = 0, m_c = 0;
  int m_user = 0;
};

}  // namespace ease_tween
}  // namespace tw::ux
