#include "ui/controls/progress.h"

#include "ui/base/attribute_values.h"
#include "ui/drawing/skin.h"
#include "ui/controls/text_paint.h"

namespace tw::ux {

namespace {
constexpr UxColour kPenGrey = MakeColour(112, 112, 112);
constexpr UxColour kBarFill = MakeColour(66, 97, 144);
}  // namespace

int CUxProgress::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxWindow::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "bgskin") m_bgskin = std::string(value);
  else if (name == "posskin") m_posskin = std::string(value);
  else if (name == "skinposx") m_skinposx = ReadInt(value);
  else if (name == "min") m_range.min = ReadInt(value);
  else if (name == "max") m_range.max = ReadInt(value);
  else if (name == "value") m_range.value = ReadInt(value);
  else if (name == "showpercent") m_showpercent = ReadInt(value);
  else if (name == "progressbar") m_marquee = ReadInt(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

UxSize CUxProgress::ContentSize(const UxMeasure& request) {
  UxSize size = CUxWindow::ContentSize(request);
  if (CUxSkinBase* track = m_bgskin.empty() ? nullptr : UxSkinPool::Instance().Find(m_bgskin)) {
    size.cy = track->SkinFrameSize().cy;
  }
  return size;
}

intptr_t CUxProgress::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  if (message == msg::kPaint) {
    handled = true;
    Paint(*reinterpret_cast<IUxCanvas*>(lparam));
    return 0;
  }
  return CUxWindow::HandleUxMessage(message, wparam, lparam, handled);
}

void CUxProgress::Paint(IUxCanvas& canvas) {
  const int opacity = Opacity();
  CUxSkinBase* track = m_bgskin.empty() ? nullptr : UxSkinPool::Instance().Find(m_bgskin);
  if (track) track->DrawImage(canvas, m_rect, 0, opacity);
  else canvas.RoundBlock(m_rect, kPenGrey, kNoColour);

  const double ratio = NormaliseProgress(m_range);
  const std::wstring percent = m_showpercent ? ProgressPercentText(m_range) : std::wstring();
  UxTextRun text = PlanControlText(*this, percent, dt::kSingleLine | dt::kVCenter | dt::kCenter, canvas);
  text.rect = m_rect;
  text.path = UxTextRun::Path::kGdi;
  text.transparent = true;
  if (m_showpercent) canvas.DrawTextRun(text);

  UxRect filled;
  if (m_marquee) {
    AdvanceMarquee(m_marquee_state, m_rect);
    filled = m_marquee_state.block;
    canvas.RoundBlock(filled, kPenGrey, kBarFill);
  } else if (CUxSkinBase* fill = m_posskin.empty() ? nullptr : UxSkinPool::Instance().Find(m_posskin)) {
    filled = SkinFillRect(m_rect, m_skinposx, fill->SkinFrameSize().cy, ratio);
    fill->DrawImage(canvas, filled, 0, opacity);
  } else {
    filled = BlockFillRect(m_rect, ratio);
    if (!filled.IsEmpty()) canvas.RoundBlock(filled, kPenGrey, kBarFill);
  }

  if (m_showpercent && !filled.IsEmpty()) {
    const UxColour own = m_crbg != kNoColour ? m_crbg : Style().crbg;
    text.colour = own != kNoColour ? own : MakeColour(255, 255, 255);
    canvas.PushClip(filled);
    canvas.DrawTextRun(text);
    canvas.PopClip();
  }
}

int CUxProgressEx::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxProgress::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "extendtext") m_extend_text = WideFromUtf8(value);
  else if (name == "posimg_left") m_posimg_left = std::string(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

}  // namespace tw::ux
