#include "ui/controls/image_controls.h"

#include <tinyxml2.h>

#include "ui/base/attribute_values.h"
#include "ui/base/dpi.h"
#include "ui/drawing/skin.h"
#include "ui/controls/text_paint.h"

namespace tw::ux {

CUxImageWnd::~CUxImageWnd() {
  if (!m_group.empty()) UxHandleRegistry::Instance().LeaveGroups(m_handle);
}

bool CUxImageWnd::Load(const tinyxml2::XMLElement& element) {
  CUxWindow::Load(element);
  if (!m_group.empty()) UxHandleRegistry::Instance().JoinGroup(m_group, m_handle);
  return true;
}

int CUxImageWnd::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxWindow::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "skin") m_skin = std::string(value);
  else if (name == "sub") m_sub = ReadInt(value);
  else if (name == "ico") m_ico = std::string(value);
  else if (name == "ico_top") m_ico_top = ReadInt(value);
  else if (name == "caption") m_caption = WideFromUtf8(value);
  else if (name == "caption_top") m_caption_top = ReadInt(value);
  else if (name == "group") m_group = std::string(value);
  else if (name == "mask") m_mask = std::string(value);
  else if (name == "cliptype") m_cliptype = ReadInt(value);
  else if (name == "clipparam") m_clipparam = std::string(value);
  else if (name == "alpha") m_clip_alpha = ReadInt(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

CUxSkinBase* CUxImageWnd::Skin() const { return m_skin.empty() ? nullptr : UxSkinPool::Instance().Find(m_skin); }

UxSize CUxImageWnd::ContentSize(const UxMeasure& request) {
  CUxSkinBase* skin = Skin();
  if (!skin) return CUxWindow::ContentSize(request);
  UxSize size = skin->SkinFrameSize();
  if (m_dpi_aware) size = {DpiScale(size.cx), DpiScale(size.cy)};
  return size;
}

intptr_t CUxImageWnd::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kPaint) {
    handled = true;
    PaintImage(*reinterpret_cast<IUxCanvas*>(lparam));
    return 0;
  }
  return CUxWindow::HandleUxMessage(message, wparam, lparam, handled);
}

void CUxImageWnd::PaintImage(IUxCanvas& canvas) {
  // The clip shapes (cliptype 1 to 3) are drawn as the plain image.
  if (CUxSkinBase* skin = Skin()) skin->DrawSkin(canvas, m_rect, m_sub, m_dpi_aware, Opacity());
}

bool CUxImageBtnWnd::GroupHasChecked() const {
  if (m_group.empty()) return false;
  for (UxHandle member : UxHandleRegistry::Instance().GroupMembers(m_group)) {
    const CUxWindow* control = UxHandleRegistry::Instance().Find(member);
    if (control && (control->State() & kStateChecked)) return true;
  }
  return false;
}

int CUxImageBtnWnd::StateFrame() const {
  if (GroupHasChecked()) {
    if (m_state & (kStateChecked | kStatePushed)) return 2;
    return (m_state & kStateHover) ? 1 : 0;
  }
  return CorrectedStateIndex(m_state);
}

void CUxImageBtnWnd::PaintImage(IUxCanvas& canvas) {
  const int opacity = Opacity();
  if (CUxSkinBase* skin = Skin()) skin->DrawSkin(canvas, m_rect, StateFrame(), m_dpi_aware, opacity);
  if (CUxSkinBase* icon = m_ico.empty() ? nullptr : UxSkinPool::Instance().Find(m_ico)) {
    const UxSize size = icon->SkinFrameSize();
    const int left = m_rect.left + (m_rect.Width() - size.cx) / 2;
    const int top = m_ico_top >= 1 ? m_rect.top + m_ico_top : m_rect.top + (m_rect.Height() - size.cy) / 2;
    icon->DrawSkin(canvas, {left, top, left + size.cx, top + size.cy}, 0, m_dpi_aware, opacity);
    if (!(m_state & (kStateHover | kStateChecked))) {
      if (CUxSkinBase* mask = m_mask.empty() ? nullptr : UxSkinPool::Instance().Find(m_mask)) {
        mask->DrawSkin(canvas, m_rect, 0, m_dpi_aware, opacity);
      }
    }
  }
  if (!m_caption.empty()) {
    IUxTextMeasurer& measurer = canvas;
    const uint32_t format = dt::kCenter | dt::kSingleLine;
    UxTextRun run = PlanControlText(*this, m_caption, format, measurer);
    const UxSize text =
        measurer.MeasureText(m_caption, run.font, dt::kSingleLine | dt::kCalcRect, {0, 0, 32767, 32767}, false, {});
    UxRect box{m_rect.left, m_rect.top + m_caption_top, m_rect.right, m_rect.top + m_caption_top + text.cy};
    if (text.cx > box.Width()) {
      const int grow = (text.cx - box.Width()) / 2;
      box.left -= grow;
      box.right += grow;
    }
    run.rect = box;
    canvas.DrawTextRun(run);
  }
}

intptr_t CUxImageBtnWnd::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kLButtonUp && !m_group.empty()) ToggleInGroup();
  return CUxImageWnd::HandleUxMessage(message, wparam, lparam, handled);
}

void CUxImageBtnWnd::ToggleInGroup() {
  if (m_state & kStateChecked) {
    ChangeStateBits(0, kStateChecked);
    return;
  }
  ChangeStateBits(kStateChecked, 0);
  for (UxHandle member : UxHandleRegistry::Instance().GroupMembers(m_group)) {
    CUxWindow* other = UxHandleRegistry::Instance().Find(member);
    if (!other || other == this || !(other->State() & kStateChecked)) continue;
    other->ChangeStateBits(0, kStateChecked);
    other->RequestRepaint(other->Rect());
  }
}

}  // namespace tw::ux
