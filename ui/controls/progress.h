// `progress`: a track, a filled part (skin, block or marquee) and an
// optional percentage that changes colour where the bar has passed.
#pragma once

#include <string>

#include "ui/controls/progress_rules.h"
#include "ui/controls/window.h"

namespace tw::ux {

class CUxProgress : public CUxWindow {
 public:
  std::string_view TagName() const override { return "progress"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;
  UxSize ContentSize(const UxMeasure& request) override;

  ProgressRange Range() const noexcept { return m_range; }

 protected:
  void Paint(IUxCanvas& canvas);

  std::string m_bgskin;
  std::string m_posskin;
  int m_skinposx = 2;
  ProgressRange m_range;
  int m_showpercent = 0;
  int m_marquee = 0;
  MarqueeState m_marquee_state;
};

class CUxProgressEx : public CUxProgress {
 public:
  std::string_view TagName() const override { return "progressex"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

 private:
  std::wstring m_extend_text;
  std::string m_posimg_left;
};

}  // namespace tw::ux
