#include "ui/controls/window.h"

#include <tinyxml2.h>

#include <algorithm>

#include "ui/base/attribute_values.h"
#include "ui/base/contrast.h"
#include "ui/base/dpi.h"
#include "ui/controls/panel.h"
#include "ui/drawing/skin.h"
#include "ui/base/string_table.h"
#include "ui/controls/text_paint.h"

namespace tw::ux {

CUxWindow::CUxWindow() : m_handle(UxHandleRegistry::Instance().Register(this)) {}

CUxWindow::~CUxWindow() {
  if (m_animation && m_host) m_host->UnregisterAnimation(m_animation.get());
  UxHandleRegistry::Instance().Unregister(m_handle);
}

bool CUxWindow::Load(const tinyxml2::XMLElement& element) {
  const char* text = element.GetText();
  m_text = WideFromUtf8(text ? text : "");
  if (m_text.find(L"%str") != std::wstring::npos) m_text = ExpandStringTokens(std::move(m_text), UxString::Instance());

  m_width_mode = m_height_mode = SizeMode::kNone;
  m_float = false;
  m_loading = true;
  ApplyAllAttributes(element);
  m_loading = false;

  if (const char* show = element.Attribute("show"); show && *show) {
    if (ReadInt(show) != 0) m_state &= ~kStateHidden;
    else m_state |= kStateHidden;
  }

  if (!m_pos.IsValid()) {
    auto read_mode = [&](const char* name, SizeMode& mode, int& fixed) {
      const char* value = element.Attribute(name);
      if (!value) return;
      const int number = ReadInt(value);
      if (number > 0) mode = SizeMode::kFixed, fixed = number;
      else if (std::string_view(value) == "full") mode = SizeMode::kFull;
      else mode = SizeMode::kContent;
    };
    read_mode("width", m_width_mode, m_fixed_width);
    read_mode("height", m_height_mode, m_fixed_height);
    if (m_width_mode == SizeMode::kContent || m_height_mode == SizeMode::kContent) {
      const UxSize size = MeasureContent(UxMeasure{});
      if (m_width_mode == SizeMode::kContent) m_rect.right = m_rect.left + size.cx;
      if (m_height_mode == SizeMode::kContent) m_rect.bottom = m_rect.top + size.cy;
    }
    if (const char* floating = element.Attribute("float")) m_float = ReadInt(floating) != 0;
  }
  return true;
}

int CUxWindow::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxObject::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "class") return m_class = std::string(value), kAttrHandled;
  if (name == "id") return m_id = ReadInt(value), kAttrChanged;
  if (name == "alphatxt") return m_alphatxt = ReadInt(value), kAttrHandled;
  if (name == "crbg") return m_crbg = ReadColour(value), kAttrChanged;
  if (name == "crtext") return m_crtext = ReadColour(value), kAttrChanged;
  if (name == "font") return m_font = static_cast<uint16_t>(ReadHex(value)), kAttrChanged;
  if (name == "href") return m_href = WideFromUtf8(value), kAttrChanged;
  if (name == "tip") return m_tip = WideFromUtf8(value), kAttrChanged;
  if (name == "name") {
    m_accessible_name = ExpandStringTokens(WideFromUtf8(value), UxString::Instance());
    return kAttrHandled;
  }
  if (name == "tabindex") return m_tab_index = ReadInt(value), kAttrHandled;
  if (name == "valign") {
    if (value == "top") m_valign = 0;
    else if (value == "middle") m_valign = 0x1000;
    else if (value == "bottom") m_valign = 0x2000;
    else return kAttrUnknown;
    return kAttrHandled;
  }
  if (name == "align") {
    if (value == "left") m_align = 0;
    else if (value == "center") m_align = 0x4000;
    else if (value == "right") m_align = 0x8000;
    else return kAttrUnknown;
    return kAttrHandled;
  }
  if (name == "pos") {
    m_pos_source = std::string(value);
    m_pos = ParsePosition(value, m_dpi_aware && DpiScalingOn() ? &DpiScale : nullptr);
    if (m_pos.IsValid()) m_width_mode = m_height_mode = SizeMode::kContent;
    if (!loading) AskParentToPlace();
    return kAttrChanged;
  }
  if (name == "transparent") return m_transparent = ReadInt(value) != 0, kAttrChanged;
  if (name == "headacceptlbtndownmsg") return m_head_accept = ReadInt(value), kAttrChanged;
  if (name == "userdata") return m_userdata = ReadInt(value), kAttrChanged;
  if (name == "notify") return m_notify = ReadInt(value), kAttrChanged;
  if (name == "forceupdatestyle") return m_forceupdatestyle = ReadInt(value), kAttrHandled;
  if (name == "autofixtextrect") return m_autofixtextrect = ReadInt(value), kAttrHandled;
  if (name == "border") return m_border = ReadInt(value), kAttrHandled;
  if (name == "correctdrawbg") return m_correctdrawbg = ReadInt(value), kAttrHandled;
  return kAttrUnknown;
}

void CUxWindow::RescaleForDpi() {
  if (!m_pos_source.empty()) m_pos = ParsePosition(m_pos_source, m_dpi_aware && DpiScalingOn() ? &DpiScale : nullptr);
}

void CUxWindow::StartAnimation() {
  m_animating = true;
  if (m_animation && m_host) m_host->RegisterAnimation(m_animation.get());
}

void CUxWindow::StopAnimation() {
  if (m_animation && m_host) m_host->UnregisterAnimation(m_animation.get());
  m_animating = false;
}

void CUxWindow::RequestRepaint(const UxRect& rect) {
  if (!IsVisible(true) || !m_host || !m_host->HostWindowAlive()) return;
  UxNotice notice;
  notice.idFrom = static_cast<uintptr_t>(m_id);
  notice.code = UXN_REPAINT_REQUEST;
  notice.ctrlId = m_id;
  notice.handle = m_handle;
  notice.rect = rect;
  m_host->SendNotice(static_cast<uintptr_t>(m_id), notice);
}

UxStyle::Cursor CUxWindow::ChooseCursor() const { return Style().cursor; }

void CUxWindow::ChangeStateBits(uint32_t add, uint32_t remove) { m_state = (m_state | add) & ~remove; }

void CUxWindow::SetAnimation(std::shared_ptr<IUxAnimationHandler> animation) {
  StopAnimation();
  m_animation = std::move(animation);
  if (m_animation && m_host) m_host->RegisterAnimation(m_animation.get());
}

void CUxWindow::AttachHost(IUxContainer* host) {
  if (m_animation && m_host) m_host->UnregisterAnimation(m_animation.get());
  m_host = host;
}

UxHandle CUxWindow::HitTest(int x, int y, int /*flag*/) const { return m_rect.Contains(x, y) ? m_handle : 0; }

bool CUxWindow::RepaintsOnStateChange() const {
  const UxStyle& style = Style();
  if (!style.skin.empty()) {
    if (CUxSkinBase* skin = UxSkinPool::Instance().Find(style.skin); skin && !skin->IsStateless()) return true;
  }
  return style.ReactsToState();
}

void CUxWindow::PaintInRegion(IUxCanvas& canvas) {
  if (!canvas.Meets(m_rect)) return;
  if (m_paint_hook) m_paint_hook->OnControlPaint(*this, canvas, 1);
  PaintBackground(canvas);
  DeliverUxMessage(msg::kPaint, 0, reinterpret_cast<intptr_t>(&canvas));
  if (m_paint_hook) m_paint_hook->OnControlPaint(*this, canvas, 0);
}

int CUxWindow::BackgroundStateIndex() const {
  return m_correctdrawbg ? CorrectedStateIndex(m_state) : static_cast<int>(m_state);
}

UxColour CUxWindow::BackgroundColour() const {
  const UxStyle& style = Style();
  UxColour colour = m_crbg != kNoColour ? m_crbg : style.crbg;
  if ((m_state & kStateHover) && style.crbghover != kNoColour) colour = style.crbghover;
  return colour;
}

void CUxWindow::PaintBackground(IUxCanvas& canvas) {
  if (m_border) canvas.OutlineRect(m_rect);
  const UxStyle& style = Style();
  const int opacity = Opacity();
  if (!style.skin.empty()) {
    // A skin the pool lacks draws nothing: the colour is for skinless styles.
    if (CUxSkinBase* skin = UxSkinPool::Instance().Find(style.skin)) {
      skin->DrawSkin(canvas, m_rect, BackgroundStateIndex(), m_dpi_aware, opacity);
    }
    return;
  }
  const UxColour colour = BackgroundColour();
  if (colour == kNoColour) return;
  if (style.bggdiplus) canvas.FillAlpha(m_rect, colour, opacity * style.alphabg / 255);
  else canvas.FillSolid(m_rect, colour);
}

intptr_t CUxWindow::HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) {
  handled = true;
  switch (message) {
    case msg::kPaint: DrawInnerText(*reinterpret_cast<IUxCanvas*>(lparam)); return 0;
    case msg::kShowWindow:
      if (wparam) m_state &= ~kStateHidden;
      else m_state |= kStateHidden;
      return 0;
    case msg::kWindowPosChanged: OnPlaced(*reinterpret_cast<const UxPlacement*>(lparam)); return 0;
    case msg::kNcCalcSize: {
      auto* request = reinterpret_cast<UxMeasure*>(lparam);
      request->result = MeasureContent(*request);
      return 0;
    }
    case msg::kMouseMove:
    case msg::kMouseLeave:
    case msg::kLButtonDown:
    case msg::kLButtonUp:
      if (message == msg::kMouseMove && (m_notify & 1)) SendControlPointerReport(3);
      if (message == msg::kMouseLeave && (m_notify & 2)) SendControlPointerReport(4);
      if (m_event_hook) {
        const UxPoint point{static_cast<int>(static_cast<int16_t>(lparam & 0xFFFF)),
                            static_cast<int>(static_cast<int16_t>((lparam >> 16) & 0xFFFF))};
        m_event_hook->OnControlEvent(message, *this, m_rect, point);
      }
      return 0;
    case msg::kCreate:
    case msg::kDestroy:
    case msg::kMouseWheel: return 0;
    default: handled = false; return 0;
  }
}

intptr_t CUxWindow::DeliverUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  bool handled = false;
  return HandleUxMessage(message, wparam, lparam, handled);
}

UxSize CUxWindow::MeasureContent(const UxMeasure& request) {
  if (m_pos.count == 4 && request.has_available) {
    const int x1 = ResolveCoordinate(m_pos.items[0], 0, request.available_width);
    const int x2 = ResolveCoordinate(m_pos.items[2], 0, request.available_width);
    const int y1 = ResolveCoordinate(m_pos.items[1], 0, request.available_height);
    const int y2 = ResolveCoordinate(m_pos.items[3], 0, request.available_height);
    return {x2 - x1, y2 - y1};
  }
  return ContentSize(request);
}

UxSize CUxWindow::ContentSize(const UxMeasure& request) {
  const UxStyle& style = Style();
  IUxTextMeasurer* measurer = TextMeasurer();
  UxSize text;
  if (!m_text.empty() && measurer) {
    UxRect box = request.has_available ? UxRect{m_rect.left, m_rect.top, m_rect.left + request.available_width,
                                                m_rect.top + request.available_height}
                                       : m_rect;
    box = box.Deflated(style.x_margin, style.y_margin);
    if (style.textmode & dt::kWordBreak) box.bottom = 32767;
    // The measuring font looks up the ancestors' styles too.
    UxFontChoice font = Font();
    for (const CUxWindow* up = Parent(); !font.code && up; up = up->Parent()) font.code = up->Style().font;
    if (style.gdipluscalctxt) {
      const CUxWindow* parent = Parent();
      text = measurer->MeasureText(m_text, font, style.textmode, box, true, parent ? parent->Rect() : box);
    } else {
      const uint32_t format =
          (style.textmode & ~(dt::kCenter | dt::kRight | dt::kVCenter | dt::kBottom)) | dt::kCalcRect;
      text = measurer->MeasureText(m_text, font, format, box, false, box);
    }
  }
  return {text.cx + 2 * style.x_margin, text.cy + 2 * style.y_margin};
}

CUxWindow* CUxWindow::Parent() const { return m_parent ? UxHandleRegistry::Instance().Find(m_parent) : nullptr; }

void CUxWindow::SetParentHandle(UxHandle parent, bool dpi_aware) {
  m_parent = parent;
  m_dpi_aware = dpi_aware;
}

bool CUxWindow::IsVisible(bool check_parents) const {
  if (m_state & kStateHidden) return false;
  if (!check_parents) return true;
  for (const CUxWindow* up = Parent(); up; up = up->Parent()) {
    if (up->m_state & kStateHidden) return false;
  }
  return true;
}

bool CUxWindow::IsDisabled(bool check_parents) const {
  if (m_state & kStateDisabled) return true;
  if (!check_parents) return false;
  for (const CUxWindow* up = Parent(); up; up = up->Parent()) {
    if (up->m_state & kStateDisabled) return true;
  }
  return false;
}

const UxStyle& CUxWindow::Style() const { return *UxStylePool::Instance().Find(m_class); }

UxFontChoice CUxWindow::Font() const {
  UxFontChoice font;
  font.code = m_font ? m_font : Style().font;
  font.dpi_aware = m_dpi_aware;
  return font;
}

namespace {

// Whether the control is (or lies inside) one a person can click.
bool InsideClickable(const CUxWindow& control) {
  for (const CUxWindow* up = &control; up; up = up->Parent()) {
    const std::string_view tag = up->TagName();
    if (!up->Href().empty() || tag == "link" || tag == "dlgbtn" || tag == "dlgbtnEx2" || tag == "button" ||
        tag == "imgbtn" || tag == "check") {
      return up->Id() != 0 || !up->Href().empty();
    }
  }
  return false;
}

}  // namespace

void CUxWindow::DrawInnerText(IUxCanvas& canvas) {
  if (m_text.empty()) return;
  if (!m_format_taken || m_forceupdatestyle) {
    m_cached_format = Style().textmode;
    m_format_taken = true;
  }
  UxTextRun run = PlanControlText(*this, m_text, m_cached_format, canvas);
  if (const HighContrastColours& contrast = HighContrast(); contrast.on) {
    // The system's colours on the system's window colour: readable over any
    // skin. What can be clicked reads as a link, what cannot be used greyed.
    // The plate covers where the text is placed and where its glyphs show
    // (the YaHei correction draws large text above its rectangle).
    const UxRect plate{std::min(m_rect.left, run.rect.left), std::min(m_rect.top, run.rect.top),
                       std::max(m_rect.right, run.rect.right), std::max(m_rect.bottom, run.rect.bottom)};
    canvas.FillSolid(plate, contrast.window);
    run.colour = IsDisabled(true) ? contrast.gray : InsideClickable(*this) ? contrast.hot : contrast.text;
    run.path = UxTextRun::Path::kGdi;
    run.alpha = 255;
  }
  canvas.DrawTextRun(run);
}

void CUxWindow::NotifyHost(UxNotice& notice, uintptr_t wparam) {
  if (m_host && m_host->HostWindowAlive()) m_host->SendNotice(wparam, notice);
}

void CUxWindow::OnPlaced(const UxPlacement& placement) {
  UxMeasure request;
  request.has_available = true;
  request.available_width = placement.available_width;
  request.available_height = placement.available_height;
  m_rect.left = placement.left;
  m_rect.top = placement.top;
  const UxSize size = MeasureContent(request);
  UxRect rect{placement.left, placement.top, placement.left + size.cx, placement.top + size.cy};
  if (m_width_mode == SizeMode::kFull) rect.right = std::max(rect.left, rect.left + placement.available_width);
  else if (m_width_mode == SizeMode::kFixed) rect.right = rect.left + m_fixed_width;
  if (m_height_mode == SizeMode::kFull) rect.bottom = std::max(rect.top, rect.top + placement.available_height);
  else if (m_height_mode == SizeMode::kFixed) rect.bottom = rect.top + m_fixed_height;
  m_rect = rect;
}

void CUxWindow::AskParentToPlace() {
  CUxWindow* parent = Parent();
  if (parent && parent->IsPanel()) static_cast<CUxPanel*>(parent)->LayoutChild(*this);
}

void CUxWindow::SendControlPointerReport(int sub_code) {
  if (!m_host || !m_host->HostWindowAlive()) return;
  UxNotice notice;
  notice.hwndFrom = m_host->HostWindow();
  notice.idFrom = static_cast<uintptr_t>(m_host->HostControlId());
  notice.code = UXN_CONTROL_POINTER;
  notice.ctrlId = m_id;
  notice.ctrlTag = "wnd";
  notice.subCode = sub_code;
  m_host->SendNotice(static_cast<uintptr_t>(m_host->HostControlId()), notice);
}

}  // namespace tw::ux
