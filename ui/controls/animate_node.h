// Animated controls: the clock animations read, a handler that drives one
// animation object for any control, the `animate` container that moves,
// fades, scales and steps an image sequence for its whole subtree, and the
// `pagitem` control whose engine is the product's optional module.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ui/animation/animation.h"
#include "ui/controls/panel.h"

namespace tw::ux {

// Milliseconds from some fixed start. The default reads the steady clock;
// the renderer and tests install one they advance by hand.
class IUxAnimationClock {
 public:
  virtual ~IUxAnimationClock() = default;
  virtual double NowMs() = 0;
};
void SetAnimationClock(IUxAnimationClock* clock) noexcept;
double AnimationNowMs();

// Drives one animation object for one control: each tick updates it by the
// time since the last tick, applies its values, repaints the control, and
// stops the animation when it is finished.
class UxControlAnimator : public IUxAnimationHandler {
 public:
  UxControlAnimator(CUxWindow& control, std::unique_ptr<CUXAnimateBase> animation);
  void OnAnimationTick() override;
  CUXAnimateBase& Animation() noexcept { return *m_animation; }

 private:
  CUxWindow& m_control;
  std::unique_ptr<CUXAnimateBase> m_animation;
  double m_last = -1;
  UxRect m_base;
};

class CUXAnimateNode : public CUxDialog, public IUxAnimationHandler {
 public:
  // A destroyed node leaves the host's timeline: a tick must never reach it.
  ~CUXAnimateNode() override;
  std::string_view TagName() const override { return "animate"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  void StartAnimation() override;
  void StopAnimation() override;
  void OnAnimationTick() override;

  bool HasActiveAnimation() const;
  bool AllFinished() const;
  const std::string& Group() const noexcept { return m_group; }
  // The current values: translation, opacity (0..255), scale, sequence frame.
  float TranslateX() const noexcept { return m_dx; }
  float TranslateY() const noexcept { return m_dy; }
  float Scale() const noexcept { return m_scale; }
  int SequenceFrame() const noexcept { return m_frame; }

 protected:
  void OnPlaced(const UxPlacement& placement) override;

 private:
  void Apply();
  void ApplyOpacity(CUxWindow& control, int alpha);

  std::string m_group;
  int m_hide_after_play = 0;
  int m_sequence_img_id = 0;
  CUXTransformAnimate m_transform;
  CUXAlphaAnimate m_alpha;
  CUXScaleAnimate m_scale_animation;
  CUXSequenceFrameAnimate m_sequence;
  double m_last = -1;
  bool m_running = false;
  UxRect m_base;
  float m_dx = 0, m_dy = 0, m_scale = 1;
  int m_frame = -1;
};

// The PAG animation item: its engine is "twpagengine.dll" of the installed
// product, loaded on first use through the platform's loader; without it the
// control stays empty.
class CUxPagItem : public CUxWindow {
 public:
  struct Node {
    int type = 0, startframe = 0, endframe = 0, durationms = 0, loop = 0, caninterrupt = 0;
    std::string rgn;
  };
  std::string_view TagName() const override { return "pagitem"; }
  bool Load(const tinyxml2::XMLElement& element) override;
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;
  const std::vector<Node>& Nodes() const noexcept { return m_nodes; }
  const std::string& PagFile() const noexcept { return m_pagfile; }
  bool EngineLoaded() const noexcept { return m_engine; }

  // Set by the platform: true when the engine module could be loaded.
  using EngineLoader = bool (*)();
  static void SetEngineLoader(EngineLoader loader) noexcept;

 private:
  int m_offscreen = 0;
  int m_rgbfix = 0;
  std::string m_pagfile;
  std::vector<Node> m_nodes;
  bool m_engine_tried = false;
  bool m_engine = false;
};

}  // namespace tw::ux
