#include "ui/controls/dialog_buttons.h"

#include "ui/drawing/skin.h"
#include "ui/drawing/skin_geometry.h"

namespace tw::ux {

bool CUxDialogButton::Load(const tinyxml2::XMLElement& element) {
  CUxDialog::Load(element);
  m_only_draw_child = true;
  return true;
}

void CUxDlgBtnEx2::PaintBackground(IUxCanvas& canvas) {
  const UxStyle& style = Style();
  if (style.skin.empty()) return CUxDialogButton::PaintBackground(canvas);
  if (CUxSkinBase* skin = UxSkinPool::Instance().Find(style.skin)) {
    skin->DrawSkin(canvas, m_rect, CorrectedStateIndex(m_state), m_dpi_aware, Opacity());
  }
}

}  // namespace tw::ux
