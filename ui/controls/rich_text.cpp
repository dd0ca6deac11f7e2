#include "ui/controls/rich_text.h"

#include <tinyxml2.h>

#include "ui/base/attribute_values.h"
#include "ui/controls/text_paint.h"

namespace tw::ux {

namespace {

bool NameIs(const char* name, std::string_view wanted) {
  std::string_view have(name ? name : "");
  if (have.size() != wanted.size()) return false;
  for (size_t i = 0; i < have.size(); ++i) {
    const char a = (have[i] >= 'A' && have[i] <= 'Z') ? have[i] - 'A' + 'a' : have[i];
    if (a != wanted[i]) return false;
  }
  return true;
}

const char* AttributeOf(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value ? value : "";
}

}  // namespace

CUxRichText::CUxRichText() : m_markup(std::make_unique<tinyxml2::XMLDocument>()) {}
CUxRichText::~CUxRichText() = default;

bool CUxRichText::Load(const tinyxml2::XMLElement& element) {
  CUxWindow::Load(element);
  m_markup->Clear();
  for (const tinyxml2::XMLNode* child = element.FirstChild(); child; child = child->NextSibling()) {
    m_markup->InsertEndChild(child->DeepClone(m_markup.get()));
  }
  return true;
}

int CUxRichText::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxWindow::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "defaultfont") m_default_font = static_cast<uint16_t>(ReadHex(value));
  else if (name == "linkclass") m_link_class = std::string(value);
  else if (name == "forcecursor") m_force_cursor = ReadInt(value);
  else if (name == "adjustpos") m_adjust_pos = ReadInt(value);
  else if (name == "autoadjustyahei") m_auto_adjust_yahei = ReadInt(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

void CUxRichText::Walk(const tinyxml2::XMLNode& node, RichItem state, std::vector<RichItem>& items) const {
  if (const tinyxml2::XMLText* text = node.ToText()) {
    RichItem item = state;
    item.kind = RichItem::Kind::kText;
    item.text = WideFromUtf8(text->Value());
    if (!item.text.empty()) items.push_back(std::move(item));
    return;
  }
  const tinyxml2::XMLElement* element = node.ToElement();
  if (!element) return;
  const char* name = element->Name();
  if (NameIs(name, "br")) {
    RichItem item;
    item.kind = RichItem::Kind::kBreak;
    items.push_back(item);
    return;
  }
  if (NameIs(name, "o")) {
    RichItem item;
    item.kind = RichItem::Kind::kOffset;
    item.offset = static_cast<int>(ReadHex(AttributeOf(*element, "offset")));
    items.push_back(item);
  } else if (NameIs(name, "b")) {
    state.font |= 0x4;
  } else if (NameIs(name, "i")) {
    state.font |= 0x1;
  } else if (NameIs(name, "u")) {
    state.font |= 0x2;
  } else if (NameIs(name, "s")) {
    state.font = static_cast<uint16_t>((state.font & 0xFF) | ((ReadHex(AttributeOf(*element, "size")) & 0xFF) << 8));
  } else if (NameIs(name, "c")) {
    state.colour = ReadColour(AttributeOf(*element, "color"));
  } else if (NameIs(name, "g")) {
    const std::string_view align = AttributeOf(*element, "align");
    state.align = align == "t" ? RichAlign::kTop : align == "c" ? RichAlign::kCentre : RichAlign::kBottom;
  } else if (NameIs(name, "a")) {
    RichLink link;
    link.id = ReadInt(AttributeOf(*element, "id"));
    link.colour = element->Attribute("color") ? ReadColour(element->Attribute("color")) : kNoColour;
    link.hover_colour = element->Attribute("hover_color") ? ReadColour(element->Attribute("hover_color")) : kNoColour;
    state.link = static_cast<int>(m_links.size());
    m_links.push_back(link);
    const UxStyle& link_style = *UxStylePool::Instance().Find(m_link_class);
    if (link_style.font) state.font = link_style.font;
    if (link.colour != kNoColour) state.colour = link.colour;
    else if (link_style.crtext != kNoColour) state.colour = link_style.crtext;
  }
  for (const tinyxml2::XMLNode* child = element->FirstChild(); child; child = child->NextSibling()) {
    Walk(*child, state, items);
  }
}

std::vector<RichItem> CUxRichText::BuildItems() const {
  m_links.clear();
  RichItem state;
  state.font = m_default_font ? m_default_font : Font().code;
  const UxStyle& style = Style();
  state.colour = m_crtext != kNoColour ? m_crtext : style.crtext != kNoColour ? style.crtext : 0;
  std::vector<RichItem> items;
  for (const tinyxml2::XMLNode* node = m_markup->FirstChild(); node; node = node->NextSibling()) {
    Walk(*node, state, items);
  }
  return items;
}

std::vector<RichItem> CUxRichText::Items() const { return BuildItems(); }

RichFlowBox CUxRichText::Box(const UxRect& area) const {
  const UxStyle& style = Style();
  RichFlowBox box;
  box.area = area;
  box.x_margin = style.x_margin;
  box.linespacing = style.linespacing;
  box.spacing = style.spacing;
  box.dpi_aware = m_dpi_aware;
  return box;
}

RichFlow CUxRichText::Flow(IUxTextMeasurer& measurer) const {
  return FlowRichItems(BuildItems(), Box(m_rect), measurer);
}

UxSize CUxRichText::ContentSize(const UxMeasure& request) {
  IUxTextMeasurer* measurer = TextMeasurer();
  if (!measurer) return {};
  const UxRect area = request.has_available ? UxRect{m_rect.left, m_rect.top, m_rect.left + request.available_width,
                                                     m_rect.top + request.available_height}
                                            : UxRect{m_rect.left, m_rect.top, m_rect.left + 32767, m_rect.top + 32767};
  const RichFlow flow = FlowRichItems(BuildItems(), Box(area), *measurer);
  return {flow.right - m_rect.left + Style().x_margin, flow.bottom - m_rect.top};
}

void CUxRichText::Paint(IUxCanvas& canvas) {
  const RichFlow flow = Flow(canvas);
  for (const RichRun& run : flow.runs) {
    UxTextRun text;
    text.text = run.text;
    text.rect = run.rect;
    text.format = dt::kSingleLine | 0x800;  // DT_NOPREFIX
    text.font = {run.font, m_dpi_aware};
    text.colour = run.colour;
    if (run.link >= 0 && run.link == m_hovered && m_links[run.link].hover_colour != kNoColour) {
      text.colour = m_links[run.link].hover_colour;
    }
    text.transparent = true;
    if (m_auto_adjust_yahei) text.rect = CorrectControlTextForYaHei(*this, text.rect, text.format, text.font, canvas);
    // A fading control or animation fades its runs as it fades plain text.
    ChooseTextPath(*this, text);
    canvas.DrawTextRun(text);
  }
  m_painted = flow.runs;
}

int CUxRichText::LinkAt(int x, int y) const {
  for (const RichRun& run : m_painted) {
    if (run.link >= 0 && run.rect.Contains(x, y)) return run.link;
  }
  return -1;
}

void CUxRichText::RepaintLink(int link) {
  if (link < 0) return;
  for (const RichRun& run : m_painted) {
    if (run.link == link) RequestRepaint(run.rect);
  }
}

void CUxRichText::SendLinkClick(int link) {
  if (!m_host || !m_host->HostWindowAlive() || link < 0 || link >= static_cast<int>(m_links.size())) return;
  UxNotice notice;
  notice.hwndFrom = m_host->HostWindow();
  notice.idFrom = static_cast<uintptr_t>(m_host->HostControlId());
  notice.code = UXN_CLICK;
  notice.ctrlId = m_links[link].id;
  notice.ctrlTag = "richtext";
  m_host->SendNoticeToParent(static_cast<uintptr_t>(m_host->HostControlId()), notice);
}

intptr_t CUxRichText::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  const int x = static_cast<int16_t>(lparam & 0xFFFF), y = static_cast<int16_t>((lparam >> 16) & 0xFFFF);
  switch (message) {
    case msg::kPaint:
      handled = true;
      Paint(*reinterpret_cast<IUxCanvas*>(lparam));
      return 0;
    case msg::kMouseMove: {
      const int link = LinkAt(x, y);
      if (link != m_hovered) {
        RepaintLink(m_hovered);
        m_hovered = link;
        RepaintLink(m_hovered);
      }
      break;
    }
    case msg::kMouseLeave:
      RepaintLink(m_hovered);
      m_hovered = -1;
      break;
    case msg::kLButtonDown: m_pressed = LinkAt(x, y); break;
    case msg::kLButtonUp: {
      const int link = LinkAt(x, y);
      if (link >= 0 && link == m_pressed) SendLinkClick(link);
      m_pressed = -1;
      break;
    }
    default: break;
  }
  return CUxWindow::HandleUxMessage(message, wparam, lparam, handled);
}

UxStyle::Cursor CUxRichText::ChooseCursor() const {
  return (m_force_cursor == 1 || m_hovered >= 0) ? UxStyle::Cursor::kHand : UxStyle::Cursor::kArrow;
}

int CUxRichText2Wnd::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxRichText::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "checkdcwinorg") m_check_dc_win_org = ReadInt(value);
  else if (name == "checkdcvieworg") m_check_dc_view_org = ReadInt(value);
  else if (name == "broadcaststate") m_broadcast_state = ReadInt(value);
  else return kAttrUnknown;
  return kAttrChanged;
}

std::vector<RichItem> CUxRichText2Wnd::BuildItems() const {
  m_links.clear();
  RichItem base;
  base.font = m_default_font ? m_default_font : Font().code;
  const UxStyle& style = Style();
  base.colour = m_crtext != kNoColour ? m_crtext : style.crtext != kNoColour ? style.crtext : 0;
  std::vector<RichItem> items;
  for (const tinyxml2::XMLElement* object = m_markup->FirstChildElement(); object;
       object = object->NextSiblingElement()) {
    RichItem item = base;
    if (NameIs(object->Name(), "break")) {
      item.kind = RichItem::Kind::kBreak;
    } else if (NameIs(object->Name(), "offset")) {
      item.kind = RichItem::Kind::kOffset;
      item.offset = ReadInt(AttributeOf(*object, "offset"));
    } else if (NameIs(object->Name(), "text") || NameIs(object->Name(), "char")) {
      const char* text = object->GetText();
      item.text = WideFromUtf8(text ? text : AttributeOf(*object, "text"));
      if (object->Attribute("font")) item.font = static_cast<uint16_t>(ReadHex(object->Attribute("font")));
      if (object->Attribute("color")) item.colour = ReadColour(object->Attribute("color"));
      if (item.text.empty()) continue;
    } else {
      continue;
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace tw::ux
