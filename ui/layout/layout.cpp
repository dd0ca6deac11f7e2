#include "ui/layout/layout.h"

#include <tinyxml2.h>

#include <cstdio>

#include "ui/base/attribute_values.h"
#include "ui/base/dpi.h"

namespace tw::ux {

namespace {

int IntAttribute(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value ? ReadInt(value) : 0;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? a[i] - 'A' + 'a' : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? b[i] - 'A' + 'a' : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string Format(const char* format, int number) {
  char text[48];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

}  // namespace

void ComputeLayerStyles(UxLayerDescription& layer, HostForm form, int appwin, int layered, int child, int holdsize,
                        int resize, int noborder, int nomove, int anim) {
  layer.style = ws::kPopup | ws::kSysMenu | ws::kMaximizeBox;
  layer.ex_style = ws::kExControlParent;
  if (appwin) layer.ex_style |= ws::kExAppWindow;
  layer.layered_asked = layered != 0;
  if (layered && form == HostForm::kTopLevel) layer.ex_style |= ws::kExLayered;
  layer.child = child != 0;
  if (child) {
    layer.ex_style &= ~ws::kExLayered;
    layer.style &= ~(ws::kPopup | ws::kSysMenu);
    layer.style |= ws::kChild | ws::kClipSiblings | ws::kClipChildren;
  } else {
    layer.hold_size = holdsize != 0;
    if (resize) {
      layer.style |= ws::kThickFrame | ws::kMinimizeBox | ws::kMaximizeBox;
      layer.resizable = true;
    } else {
      layer.style &= ~ws::kMaximizeBox;
      layer.style |= ws::kMinimizeBox;
      layer.resizable = false;
    }
    if (noborder) layer.ex_style |= ws::kExToolWindow | ws::kExTopmost;
    else layer.ex_style |= ws::kExWindowEdge | ws::kExClientEdge;
    if (nomove) layer.movable = false;
  }
  layer.anim = anim;
}

UxLayout::UxLayout(HostForm form) : m_form(form) { Reset(); }

UxLayout::~UxLayout() = default;

void UxLayout::Reset() {
  m_header = std::make_unique<CUxDialog>();
  m_body = std::make_unique<CUxDialog>();
  m_footer = std::make_unique<CUxDialog>();
  m_layer = UxLayerDescription();
  for (CUxDialog* section : {m_header.get(), m_body.get(), m_footer.get()}) {
    section->SetCreator(m_creator);
    section->AttachHost(m_host);
  }
}

bool UxLayout::Parse(std::string_view xml) {
  Reset();
  tinyxml2::XMLDocument doc;
  if (doc.Parse(xml.data(), xml.size()) != tinyxml2::XML_SUCCESS) return false;
  const tinyxml2::XMLElement* root = doc.RootElement();
  if (!root || std::string_view(root->Name()) != "layer") return false;

  if (const char* frame = root->Attribute("frame")) m_layer.frame = frame;
  if (const char* title = root->Attribute("title")) m_layer.title = WideFromUtf8(title);
  m_layer.width = IntAttribute(*root, "width");
  m_layer.height = IntAttribute(*root, "height");
  m_layer.design_width = m_layer.width;
  m_layer.design_height = m_layer.height;
  m_layer.dpiaware = IntAttribute(*root, "dpiaware");
  if (m_layer.dpiaware) {
    m_layer.width = DpiScale(m_layer.width);
    m_layer.height = DpiScale(m_layer.height);
  }
  m_layer.min_width = IntAttribute(*root, "min_width");
  m_layer.min_height = IntAttribute(*root, "min_height");
  ComputeLayerStyles(m_layer, m_form, IntAttribute(*root, "appwin"), IntAttribute(*root, "layered"),
                     IntAttribute(*root, "child"), IntAttribute(*root, "holdsize"), IntAttribute(*root, "resize"),
                     IntAttribute(*root, "noborder"), IntAttribute(*root, "nomove"), IntAttribute(*root, "anim"));

  const bool dpi = m_layer.dpiaware != 0;
  auto load_section = [&](CUxDialog& section, const char* name) -> const tinyxml2::XMLElement* {
    const tinyxml2::XMLElement* element = root->FirstChildElement(name);
    if (!element) return nullptr;
    section.SetDpiAware(dpi);
    return section.Load(*element) ? element : nullptr;
  };
  if (const auto* header = load_section(*m_header, "header")) {
    m_layer.header_loaded = true;
    const char* height = header->Attribute("height");
    m_header->ApplyAttribute("pos", Format("0,0,-0,%d", height ? ReadInt(height) : 0), true);
    m_layer.header_fills = height && EqualsAsciiNoCase(height, "full");
  }
  if (const auto* footer = load_section(*m_footer, "footer")) {
    m_layer.footer_loaded = true;
    const char* height = footer->Attribute("height");
    m_footer->ApplyAttribute("pos", Format("0,-%d,-0,-0", height ? ReadInt(height) : 0), true);
  }
  if (load_section(*m_body, "body")) {
    m_layer.body_loaded = true;
    m_body->ApplyAttribute("pos", "0,0,-0,-0", true);
  }
  const bool header_only = !m_layer.body_loaded && !m_layer.footer_loaded;
  if (m_form == HostForm::kTopLevel && header_only && m_layer.header_loaded && m_layer.header_fills) {
    m_header->ApplyAttribute("pos", "0,0,-0,-0", true);
  } else {
    m_layer.header_fills = false;
  }
  m_layer.loaded = true;
  return true;
}

void UxLayout::PlaceSection(CUxDialog& section, int left, int top, int width, int height) {
  UxPlacement placement{left, top, width, height};
  section.DeliverUxMessage(msg::kWindowPosChanged, 0, reinterpret_cast<intptr_t>(&placement));
}

void UxLayout::RescaleForDpi() {
  if (!m_layer.dpiaware) return;
  m_layer.width = DpiScale(m_layer.design_width);
  m_layer.height = DpiScale(m_layer.design_height);
  ForEachLoadedSection([](CUxDialog& section) { section.RescaleForDpi(); });
}

void UxLayout::LayoutAll(const UxRect& client) {
  if (client.Width() == 0) return;
  int header_bottom = client.top;
  if (m_layer.header_loaded) {
    PlaceSection(*m_header, client.left, client.top, client.Width(), client.Height());
    header_bottom = m_header->Rect().bottom;
  }
  int footer_height = 0;
  if (m_layer.footer_loaded) {
    PlaceSection(*m_footer, client.left, client.top, client.Width(), client.Height());
    footer_height = m_footer->Rect().Height();
    PlaceSection(*m_footer, client.left, client.bottom - footer_height, client.Width(), footer_height);
  }
  if (m_layer.body_loaded) {
    PlaceSection(*m_body, client.left, header_bottom, client.Width(), client.bottom - footer_height - header_bottom);
  }
}

void UxLayout::AttachHost(IUxContainer* host) {
  m_host = host;
  for (CUxDialog* section : {m_header.get(), m_body.get(), m_footer.get()}) section->AttachHost(host);
}

UxHandle UxLayout::HitTest(int x, int y) const {
  if (m_layer.header_loaded) {
    if (UxHandle hit = m_header->HitTest(x, y, 0)) return hit;
  }
  if (m_layer.body_loaded) {
    if (UxHandle hit = m_body->HitTest(x, y, 0)) return hit;
  }
  if (m_layer.footer_loaded) {
    if (UxHandle hit = m_footer->HitTest(x, y, 0)) return hit;
  }
  return 0;
}

UxHandle UxLayout::HitTestHeader(int x, int y) const { return m_layer.header_loaded ? m_header->HitTest(x, y, 0) : 0; }

CUxWindow* UxLayout::FindControlById(int id) const {
  for (const CUxDialog* section : {m_header.get(), m_body.get(), m_footer.get()}) {
    if (CUxWindow* found = section->FindControlById(id)) return found;
  }
  return nullptr;
}

void UxLayout::PaintInRegion(IUxCanvas& canvas) {
  ForEachLoadedSection([&](CUxDialog& section) { section.PaintInRegion(canvas); });
}

void UxLayout::Invalidate(const UxRect& rect) {
  if (m_host) m_host->Invalidate(rect);
}

bool UxLayout::ShowControl(int id, bool show) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  control->DeliverUxMessage(msg::kShowWindow, show ? 1 : 0, 0);
  Invalidate(control->Rect());
  return true;
}

bool UxLayout::IsControlShown(int id, bool check_parents) const {
  const CUxWindow* control = FindControlById(id);
  return control && control->IsVisible(check_parents);
}

bool UxLayout::EnableControl(int id, bool enable) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  if (enable) control->ChangeStateBits(0, kStateDisabled);
  else control->ChangeStateBits(kStateDisabled, kStateHover);
  if (control->IsVisible(true)) Invalidate(control->Rect());
  return true;
}

bool UxLayout::SetControlChecked(int id, bool check) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  if (check) control->ChangeStateBits(kStateChecked, 0);
  else control->ChangeStateBits(0, kStateChecked);
  if (control->IsVisible(true)) Invalidate(control->Rect());
  return true;
}

bool UxLayout::IsControlChecked(int id) const {
  const CUxWindow* control = FindControlById(id);
  return control && (control->State() & kStateChecked);
}

bool UxLayout::SetControlText(int id, std::wstring text) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  Invalidate(control->Rect());
  control->SetText(std::move(text));
  // Without a mode an axis is sized by its content too.
  auto by_content = [](SizeMode mode) { return mode == SizeMode::kContent || mode == SizeMode::kNone; };
  const bool content_width = by_content(control->WidthMode());
  const bool content_height = by_content(control->HeightMode());
  if ((content_width || content_height) && control->Position().count != 4) {
    const UxSize size = control->MeasureContent(UxMeasure{});
    UxRect rect = control->Rect();
    if (content_width) rect.right = rect.left + size.cx;
    if (content_height) rect.bottom = rect.top + size.cy;
    control->SetRect(rect);
  }
  Invalidate(control->Rect());
  return true;
}

bool UxLayout::SetControlAttribute(int id, std::string_view name, std::string_view value) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  if (control->IsVisible(true)) Invalidate(control->Rect());
  control->ApplyAttribute(name, value, false);
  if (control->IsVisible(true)) Invalidate(control->Rect());
  return true;
}

bool UxLayout::SetControlIntAttribute(int id, std::string_view name, int number) {
  return SetControlAttribute(id, name, std::to_string(number));
}

bool UxLayout::SetControlPaintHook(int id, IUxWindowPaintHook* hook) {
  CUxWindow* control = FindControlById(id);
  if (!control) return false;
  control->SetPaintHook(hook);
  return true;
}

}  // namespace tw::ux
