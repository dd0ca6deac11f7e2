// `dlgbtn` and `dlgbtnEx2`: a container that is one clickable control; its
// children (texts, images) only draw.
#pragma once

#include "ui/controls/panel.h"

namespace tw::ux {

class CUxDialogButton : public CUxDialog {
 public:
  std::string_view TagName() const override { return "dlgbtn"; }
  void AfterAttributes() override { m_only_draw_child = true; }
  bool Load(const tinyxml2::XMLElement& element) override;
};

class CUxDlgBtnEx2 : public CUxDialogButton {
 public:
  std::string_view TagName() const override { return "dlgbtnEx2"; }
  // With a skin in its style the corrected state index always picks the
  // frame, and no border is drawn.
  void PaintBackground(IUxCanvas& canvas) override;
};

}  // namespace tw::ux
