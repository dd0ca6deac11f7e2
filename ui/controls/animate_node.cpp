#include "ui/controls/animate_node.h"

#include <tinyxml2.h>

#include <algorithm>
#include <chrono>

#include "ui/base/attribute_values.h"

namespace tw::ux {

namespace {

IUxAnimationClock* g_clock = nullptr;

// Animation values come from the document: an absurd or infinite one is held
// at the edge of the coordinate range instead of wrapping (NaN counts as 0).
int ToPixels(double value) {
  if (!(value == value)) return 0;
  return static_cast<int>(std::clamp(value, double{-kMaxCoordinate}, double{kMaxCoordinate}));
}
CUxPagItem::EngineLoader g_engine_loader = nullptr;

double Elapsed(double& last) {
  const double now = AnimationNowMs();
  const double elapsed = last < 0 ? 0 : now - last;
  last = now;
  return elapsed;
}

}  // namespace

void SetAnimationClock(IUxAnimationClock* clock) noexcept { g_clock = clock; }

double AnimationNowMs() {
  if (g_clock) return g_clock->NowMs();
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

UxControlAnimator::UxControlAnimator(CUxWindow& control, std::unique_ptr<CUXAnimateBase> animation)
    : m_control(control), m_animation(std::move(animation)), m_base(control.Rect()) {}

void UxControlAnimator::OnAnimationTick() {
  m_animation->Update(Elapsed(m_last));
  const UxRect before = m_control.Rect();
  // What a plain control can show of an animation: a move and a fade.
  if (m_animation->ValueNames() == "x:y") {
    m_control.SetRect(m_base.Offset(ToPixels(m_animation->Value(0)), ToPixels(m_animation->Value(1))));
  } else if (m_animation->ValueNames() == "alpha") {
    m_control.SetAnimationOpacity(std::clamp(ToPixels(m_animation->Value(0)), 0, 255));
  }
  m_control.RequestRepaint(before);
  m_control.RequestRepaint(m_control.Rect());
  if (m_animation->Finished()) m_control.StopAnimation();
}

int CUXAnimateNode::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxDialog::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "group") m_group = std::string(value);
  else if (name == "hide_after_play") m_hide_after_play = ReadInt(value);
  else if (name == "sequence_img_id") m_sequence_img_id = ReadInt(value);
  else if (name == "transform") m_transform.ParseDescription(value);
  else if (name == "alpha") m_alpha.ParseDescription(value);
  else if (name == "scale") m_scale_animation.ParseDescription(value);
  else if (name == "sequence") m_sequence.ParseDescription(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

bool CUXAnimateNode::HasActiveAnimation() const {
  return m_transform.Active() || m_alpha.Active() || m_scale_animation.Active() || m_sequence.Active();
}

bool CUXAnimateNode::AllFinished() const {
  for (const CUXAnimateBase* animation :
       std::initializer_list<const CUXAnimateBase*>{&m_transform, &m_alpha, &m_scale_animation, &m_sequence}) {
    if (animation->Active() && !animation->Finished()) return false;
  }
  return true;
}

CUXAnimateNode::~CUXAnimateNode() {
  if (m_running && m_host) m_host->UnregisterAnimation(this);
}

void CUXAnimateNode::StartAnimation() {
  if (!HasActiveAnimation() || m_running) return;
  m_running = true;
  m_animating = true;
  m_last = -1;
  if (m_host) m_host->RegisterAnimation(this);
}

void CUXAnimateNode::StopAnimation() {
  if (m_host) m_host->UnregisterAnimation(this);
  m_running = false;
  m_animating = false;
}

void CUXAnimateNode::OnPlaced(const UxPlacement& placement) {
  CUxDialog::OnPlaced(placement);
  m_base = m_rect;
  Apply();
}

void CUXAnimateNode::ApplyOpacity(CUxWindow& control, int alpha) {
  control.SetAnimationOpacity(alpha);
  if (!control.IsPanel()) return;
  for (auto& child : static_cast<CUxPanel&>(control).Children()) ApplyOpacity(*child, alpha);
}

void CUXAnimateNode::Apply() {
  if (m_base.IsEmpty() && m_base.left == 0 && m_base.top == 0) return;
  UxRect rect = m_base;
  if (m_scale_animation.Active() && m_scale_animation.Started()) {
    m_scale = m_scale_animation.Value(0);
    const int w = ToPixels(m_base.Width() * m_scale), h = ToPixels(m_base.Height() * m_scale);
    const int cx = (m_base.left + m_base.right) / 2, cy = (m_base.top + m_base.bottom) / 2;
    rect = {cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h};
  }
  if (m_transform.Active()) {
    m_dx = m_transform.Value(0);
    m_dy = m_transform.Value(1);
    rect = rect.Offset(ToPixels(m_dx), ToPixels(m_dy));
  }
  m_rect = rect;
  LayoutChildren();  // the subtree follows the node
  if (m_alpha.Active()) ApplyOpacity(*this, std::clamp(ToPixels(m_alpha.Value(0)), 0, 255));
  if (m_sequence.Active() && m_sequence_img_id) {
    const int frame = ToPixels(m_sequence.Value(0));
    if (frame != m_frame) {
      m_frame = frame;
      if (CUxWindow* image = FindControlById(m_sequence_img_id)) {
        image->ApplyAttribute("sub", std::to_string(frame), false);
      }
    }
  }
}

void CUXAnimateNode::OnAnimationTick() {
  const double elapsed = Elapsed(m_last);
  const UxRect before = m_rect;
  for (CUXAnimateBase* animation :
       std::initializer_list<CUXAnimateBase*>{&m_transform, &m_alpha, &m_scale_animation, &m_sequence}) {
    if (animation->Active()) animation->Update(elapsed);
  }
  Apply();
  RequestRepaint(before);
  RequestRepaint(m_rect);
  if (AllFinished()) {
    StopAnimation();
    if (m_hide_after_play) {
      DeliverUxMessage(msg::kShowWindow, 0, 0);
      if (m_host) m_host->Invalidate(before);
    }
  }
}

void CUxPagItem::SetEngineLoader(EngineLoader loader) noexcept { g_engine_loader = loader; }

bool CUxPagItem::Load(const tinyxml2::XMLElement& element) {
  CUxWindow::Load(element);
  m_nodes.clear();
  for (auto* node = element.FirstChildElement("animate_node"); node; node = node->NextSiblingElement("animate_node")) {
    Node entry;
    entry.type = node->IntAttribute("type");
    entry.startframe = node->IntAttribute("startframe");
    entry.endframe = node->IntAttribute("endframe");
    entry.durationms = node->IntAttribute("durationms");
    entry.loop = node->IntAttribute("loop");
    entry.caninterrupt = node->IntAttribute("caninterrupt");
    if (const char* rgn = node->GetText()) entry.rgn = rgn;
    m_nodes.push_back(entry);
  }
  return true;
}

int CUxPagItem::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxWindow::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "offscreen") m_offscreen = ReadInt(value);
  else if (name == "rgbfix") m_rgbfix = ReadInt(value);
  else if (name == "pagfile") m_pagfile = std::string(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

intptr_t CUxPagItem::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kPaint) {
    handled = true;
    // The engine is looked for once, when the control is first drawn.
    if (!m_engine_tried) {
      m_engine_tried = true;
      m_engine = g_engine_loader && g_engine_loader();
    }
    return 0;  // the frames belong to the engine; without it the item is empty
  }
  return CUxWindow::HandleUxMessage(message, wparam, lparam, handled);
}

}  // namespace tw::ux
