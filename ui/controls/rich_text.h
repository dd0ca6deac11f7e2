// Rich text: `richtext` (and `richtextex`) flow a small markup of formatted
// runs and links inside their rectangle; `richtext2` flows `text`, `break`,
// `offset` and `char` objects by the same rule and draws them with GDI, or
// GDI+ when its style asks for it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/controls/rich_text_flow.h"
#include "ui/controls/window.h"

namespace tinyxml2 {
class XMLDocument;
class XMLNode;
}  // namespace tinyxml2

namespace tw::ux {

struct RichLink {
  int id = 0;
  UxColour colour = kNoColour;
  UxColour hover_colour = kNoColour;
};

class CUxRichText : public CUxWindow {
 public:
  CUxRichText();
  ~CUxRichText() override;
  std::string_view TagName() const override { return "richtext"; }
  bool Load(const tinyxml2::XMLElement& element) override;
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;
  UxStyle::Cursor ChooseCursor() const override;
  bool RepaintsOnStateChange() const override { return false; }
  UxSize ContentSize(const UxMeasure& request) override;

  // The markup as runs, with the links they belong to.
  std::vector<RichItem> Items() const;
  const std::vector<RichLink>& Links() const noexcept { return m_links; }
  int HoveredLink() const noexcept { return m_hovered; }
  // The flow of the current markup in the control's rectangle.
  RichFlow Flow(IUxTextMeasurer& measurer) const;

 protected:
  virtual std::vector<RichItem> BuildItems() const;
  void Paint(IUxCanvas& canvas);
  int LinkAt(int x, int y) const;
  void RepaintLink(int link);
  RichFlowBox Box(const UxRect& area) const;
  void SendLinkClick(int link);

  std::unique_ptr<tinyxml2::XMLDocument> m_markup;
  mutable std::vector<RichLink> m_links;
  uint16_t m_default_font = 0;
  std::string m_link_class;
  int m_force_cursor = 0;
  // Read and kept for documents that set it; the markup's rules give it no
  // effect on the flow or the drawing.
  int m_adjust_pos = 0;
  // The YaHei correction of every run, as plain text takes it.
  int m_auto_adjust_yahei = 0;
  std::vector<RichRun> m_painted;  // the last paint's runs: link areas for the pointer
  int m_hovered = -1;
  int m_pressed = -1;

 private:
  void Walk(const tinyxml2::XMLNode& node, RichItem state, std::vector<RichItem>& items) const;
};

class CUxRichTextEx : public CUxRichText {
 public:
  std::string_view TagName() const override { return "richtextex"; }
};

class CUxRichText2Wnd : public CUxRichText {
 public:
  std::string_view TagName() const override { return "richtext2"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

 protected:
  std::vector<RichItem> BuildItems() const override;

 private:
  int m_check_dc_win_org = 0;
  int m_check_dc_view_org = 0;
  int m_broadcast_state = 0;
};

}  // namespace tw::ux
