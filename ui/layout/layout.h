// A layout document (`layer`) turned into a window description and three
// root sections — header, body, footer — with the rules that place them in a
// client rectangle, plus the by-id operations window code uses on them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/controls/panel.h"

namespace tw::ux {

struct UxLayerDescription {
  std::wstring title;
  std::string frame;
  int width = 0;
  int height = 0;
  int design_width = 0;  // as written, before the DPI factor
  int design_height = 0;
  int dpiaware = 0;
  int min_width = 0;
  int min_height = 0;
  uint32_t style = ws::kPopup | ws::kSysMenu | ws::kMaximizeBox;
  uint32_t ex_style = ws::kExControlParent;
  bool resizable = false;
  bool hold_size = false;
  bool movable = true;
  bool child = false;
  bool layered_asked = false;  // `layered` was set (kept for glass changes)
  int anim = 0;
  bool header_loaded = false;
  bool body_loaded = false;
  bool footer_loaded = false;
  bool header_fills = false;
  bool loaded = false;
};

enum class HostForm {
  kTopLevel,  // the layout's own top-level window
  kFramed,    // the inner view of a framed dialog
};

// The layer's style rules (exposed for tests).
void ComputeLayerStyles(UxLayerDescription& layer, HostForm form, int appwin, int layered, int child, int holdsize,
                        int resize, int noborder, int nomove, int anim);

class UxLayout {
 public:
  explicit UxLayout(HostForm form);
  ~UxLayout();

  // Parses a layer document. On failure the sections stay reset and empty.
  [[nodiscard]] bool Parse(std::string_view xml);
  const UxLayerDescription& Layer() const noexcept { return m_layer; }

  // The DPI factor changed: the window's size and every position are taken
  // again from the document's numbers at the new factor (a layout without
  // `dpiaware` keeps its pixels). Place the sections again afterwards.
  void RescaleForDpi();
  // Places header, footer and body in the client rectangle.
  void LayoutAll(const UxRect& client);

  CUxDialog& Header() noexcept { return *m_header; }
  CUxDialog& Body() noexcept { return *m_body; }
  CUxDialog& Footer() noexcept { return *m_footer; }

  // Gives the sections (and so every control) the host interface.
  void AttachHost(IUxContainer* host);
  // The extra tag creator of the top-level host.
  void SetCreator(IUxControlCreator* creator) noexcept { m_creator = creator; }

  UxHandle HitTest(int x, int y) const;
  // Only the header's answer (drag and double-click rules).
  UxHandle HitTestHeader(int x, int y) const;
  CUxWindow* FindControlById(int id) const;
  void PaintInRegion(IUxCanvas& canvas);
  // Every section, loaded or not, in header, body, footer order.
  template <typename F>
  void ForEachLoadedSection(F&& f) {
    if (m_layer.header_loaded) f(*m_header);
    if (m_layer.body_loaded) f(*m_body);
    if (m_layer.footer_loaded) f(*m_footer);
  }

  // By-id operations: false when no section holds the id.
  bool ShowControl(int id, bool show);
  bool IsControlShown(int id, bool check_parents) const;
  bool EnableControl(int id, bool enable);
  bool SetControlChecked(int id, bool check);
  bool IsControlChecked(int id) const;
  bool SetControlText(int id, std::wstring text);
  bool SetControlAttribute(int id, std::string_view name, std::string_view value);
  bool SetControlIntAttribute(int id, std::string_view name, int number);
  bool SetControlPaintHook(int id, IUxWindowPaintHook* hook);

 private:
  void Reset();
  void PlaceSection(CUxDialog& section, int left, int top, int width, int height);
  void Invalidate(const UxRect& rect);

  HostForm m_form;
  UxLayerDescription m_layer;
  std::unique_ptr<CUxDialog> m_header;
  std::unique_ptr<CUxDialog> m_body;
  std::unique_ptr<CUxDialog> m_footer;
  IUxContainer* m_host = nullptr;
  IUxControlCreator* m_creator = nullptr;
};

}  // namespace tw::ux
