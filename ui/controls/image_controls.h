// `img` draws a skin frame over its rectangle; `imgbtn` adds state frames,
// an icon, a mask, a caption and check groups.
#pragma once

#include <string>

#include "ui/controls/window.h"

namespace tw::ux {

class CUxSkinBase;

class CUxImageWnd : public CUxWindow {
 public:
  ~CUxImageWnd() override;
  std::string_view TagName() const override { return "img"; }
  bool Load(const tinyxml2::XMLElement& element) override;
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;
  UxSize ContentSize(const UxMeasure& request) override;

  const std::string& SkinName() const noexcept { return m_skin; }
  const std::string& Group() const noexcept { return m_group; }
  int Sub() const noexcept { return m_sub; }

 protected:
  virtual void PaintImage(IUxCanvas& canvas);
  CUxSkinBase* Skin() const;

  std::string m_skin;
  int m_sub = -1;
  std::string m_ico;
  int m_ico_top = -1;
  std::wstring m_caption;
  int m_caption_top = -1;
  std::string m_group;
  std::string m_mask;
  int m_cliptype = 0;
  std::string m_clipparam;
  int m_clip_alpha = 100;
};

class CUxImageBtnWnd : public CUxImageWnd {
 public:
  std::string_view TagName() const override { return "imgbtn"; }
  bool RepaintsOnStateChange() const override { return true; }
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;

  // The skin frame for the current state (group rule first).
  int StateFrame() const;

 protected:
  void PaintImage(IUxCanvas& canvas) override;

 private:
  void ToggleInGroup();
  bool GroupHasChecked() const;
};

}  // namespace tw::ux
