#include "ui/drawing/gdi_canvas_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win/library_loading_win.h"
#include "ui/drawing/font_pool_win.h"
#include "platform/win/proc_address_win.h"

namespace tw::ux::win {

namespace {

RECT ToRect(const UxRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

uint32_t OpaquePixel(UxColour colour) {
  return 0xFF000000u | (static_cast<uint32_t>(ColourRed(colour)) << 16) |
         (static_cast<uint32_t>(ColourGreen(colour)) << 8) | static_cast<uint32_t>(ColourBlue(colour));
}

// Source-over of a premultiplied pixel of colour and alpha.
uint32_t BlendPixel(uint32_t dst, UxColour colour, int alpha) {
  const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  const uint32_t inv = 255 - a;
  auto channel = [&](int shift, int value) {
    return (static_cast<uint32_t>(value) * a + ((dst >> shift) & 0xFF) * inv) / 255;
  };
  const uint32_t out_a = a + ((dst >> 24) & 0xFF) * inv / 255;
  return (out_a << 24) | (channel(16, ColourRed(colour)) << 16) | (channel(8, ColourGreen(colour)) << 8) |
         channel(0, ColourBlue(colour));
}

// Premultiplied `over` laid on `under` at `alpha` (0..255), channel by channel.
uint32_t Mix(uint32_t under, uint32_t over, int alpha) {
  const uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t u = (under >> shift) & 0xFF, o = (over >> shift) & 0xFF;
    out |= ((o * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

Gdiplus::Color GdiplusColour(UxColour colour, int alpha) {
  return Gdiplus::Color(static_cast<BYTE>(std::clamp(alpha, 0, 255)), static_cast<BYTE>(ColourRed(colour)),
                        static_cast<BYTE>(ColourGreen(colour)), static_cast<BYTE>(ColourBlue(colour)));
}

std::unique_ptr<Gdiplus::Font> GdiplusFont(HDC dc, UxFontChoice choice) {
  UxFontPool& pool = UxFontPool::Instance();
  const LOGFONTW description = pool.Describe(choice);
  if (Gdiplus::FontCollection* collection = pool.PrivateCollection()) {
    Gdiplus::FontFamily family;
    int found = 0;
    if (collection->GetFamilies(1, &family, &found) == Gdiplus::Ok && found == 1) {
      int style = Gdiplus::FontStyleRegular;
      if (description.lfWeight >= FW_BOLD) style |= Gdiplus::FontStyleBold;
      if (description.lfItalic) style |= Gdiplus::FontStyleItalic;
      if (description.lfUnderline) style |= Gdiplus::FontStyleUnderline;
      auto font = std::make_unique<Gdiplus::Font>(&family, static_cast<Gdiplus::REAL>(std::abs(description.lfHeight)),
                                                  style, Gdiplus::UnitPixel);
      if (font->GetLastStatus() == Gdiplus::Ok) return font;
    }
  }
  auto font = std::make_unique<Gdiplus::Font>(dc, &description);
  return font->GetLastStatus() == Gdiplus::Ok ? std::move(font) : nullptr;
}

void BuildStringFormat(Gdiplus::StringFormat& format, uint32_t dt_format, uint32_t ex) {
  if (dt_format & dt::kCenter) format.SetAlignment(Gdiplus::StringAlignmentCenter);
  if (dt_format & dt::kVCenter) format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  if (ex & 0x20) format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsLineLimit);
  if (ex & 2) format.SetAlignment(Gdiplus::StringAlignmentFar);
  if (ex & 1) format.SetAlignment(Gdiplus::StringAlignmentCenter);
  if (ex & 4) format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  if (ex & 8) format.SetLineAlignment(Gdiplus::StringAlignmentFar);
  if (dt_format & dt::kEndEllipsis) format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
  else if (dt_format & dt::kWordEllipsis) format.SetTrimming(Gdiplus::StringTrimmingEllipsisWord);
  else if (dt_format & dt::kPathEllipsis) format.SetTrimming(Gdiplus::StringTrimmingEllipsisPath);
  if (dt_format & dt::kSingleLine) format.SetFormatFlags(format.GetFormatFlags() | Gdiplus::StringFormatFlagsNoWrap);
}

// comctl32 has DrawShadowText only in version 6; look it up so that programs
// without the common-controls manifest still start.
using DrawShadowTextFn = int(WINAPI*)(HDC, LPCWSTR, UINT, RECT*, DWORD, COLORREF, COLORREF, int, int);
DrawShadowTextFn ShadowTextFunction() {
  static DrawShadowTextFn function = [] {
    HMODULE comctl = tw::win::LoadManifestBoundLibrary(L"comctl32.dll");
    return comctl ? tw::win::GetProc<DrawShadowTextFn>(comctl, "DrawShadowText") : nullptr;
  }();
  return function;
}

}  // namespace

UxSize MeasureTextOnDc(HDC dc, std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box,
                       bool gdiplus, const UxRect& layout_box) {
  if (text.empty()) return {};
  const tw::win::ScopedSelection selected(dc, UxFontPool::Instance().Font(font));
  UxSize size;
  if (gdiplus && EnsureGdiplus()) {
    Gdiplus::Graphics graphics(dc);
    if (auto gfont = GdiplusFont(dc, font)) {
      Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(layout_box.left), static_cast<Gdiplus::REAL>(layout_box.top),
                            static_cast<Gdiplus::REAL>(layout_box.Width()),
                            static_cast<Gdiplus::REAL>(layout_box.Height()));
      Gdiplus::RectF bounds;
      graphics.MeasureString(text.data(), static_cast<INT>(text.size()), gfont.get(), layout, &bounds);
      size = {static_cast<int>(std::ceil(bounds.Width)), static_cast<int>(std::ceil(bounds.Height))};
    }
  } else {
    RECT rect = ToRect(box);
    if (rect.right <= rect.left) rect.right = rect.left + 32767;  // no width yet: one unbounded line
    ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    size = {rect.right - rect.left, rect.bottom - rect.top};
  }
  return size;
}

GdiTextMeasurer::GdiTextMeasurer() : m_dc(::CreateCompatibleDC(nullptr)) {}
GdiTextMeasurer::~GdiTextMeasurer() = default;
UxSize GdiTextMeasurer::MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box,
                                    bool gdiplus, const UxRect& layout_box) {
  return MeasureTextOnDc(m_dc.Get(), text, font, format, box, gdiplus, layout_box);
}
int GdiTextMeasurer::FontHeight(UxFontChoice font) { return UxFontPool::Instance().Describe(font).lfHeight; }

GdiCanvas::GdiCanvas(HDC dc, GdiImage& target, HRGN region) : m_dc(dc), m_target(target) {
  ::SelectClipRgn(m_dc, region);
  RefreshClipRects();
}

GdiCanvas::~GdiCanvas() {
  m_graphics.reset();
  m_shared_bitmap.reset();
  m_source_selection.reset();
  while (!m_saved.empty()) PopClip();
  ::SelectClipRgn(m_dc, nullptr);
}

UxSize GdiCanvas::MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box,
                              bool gdiplus, const UxRect& layout_box) {
  return MeasureTextOnDc(m_dc, text, font, format, box, gdiplus, layout_box);
}

int GdiCanvas::FontHeight(UxFontChoice font) { return UxFontPool::Instance().Describe(font).lfHeight; }

void GdiCanvas::RefreshClipRects() {
  m_clip_rects.clear();
  const RECT bounds{0, 0, m_target.Width(), m_target.Height()};
  const tw::win::UniqueRegion clip_copy(::CreateRectRgn(0, 0, 0, 0));
  HRGN clip = clip_copy.Get();
  const int has_clip = ::GetClipRgn(m_dc, clip);
  if (has_clip == 1) {
    const DWORD size = ::GetRegionData(clip, 0, nullptr);
    std::vector<uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size && ::GetRegionData(clip, size, data)) {
      const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        RECT r;
        if (::IntersectRect(&r, &rects[i], &bounds)) m_clip_rects.push_back(r);
      }
    }
  } else {
    m_clip_rects.push_back(bounds);
  }
  if (m_graphics) {
    if (has_clip == 1) {
      Gdiplus::Region clip_region(clip);
      m_graphics->SetClip(&clip_region);
    } else {
      m_graphics->ResetClip();
    }
  }
}

bool GdiCanvas::Meets(const UxRect& rect) const {
  const RECT r = ToRect(rect);
  for (const RECT& clip : m_clip_rects) {
    RECT overlap;
    if (::IntersectRect(&overlap, &clip, &r)) return true;
  }
  return false;
}

template <typename F>
void GdiCanvas::ForEachPixel(const UxRect& rect, F&& write) {
  const RECT r = ToRect(rect);
  uint32_t* bits = m_target.Bits();
  const int width = m_target.Width();
  for (const RECT& clip : m_clip_rects) {
    RECT part;
    if (!::IntersectRect(&part, &clip, &r)) continue;
    for (int y = part.top; y < part.bottom; ++y) {
      uint32_t* row = bits + static_cast<size_t>(y) * width;
      for (int x = part.left; x < part.right; ++x) row[x] = write(row[x]);
    }
  }
}

void GdiCanvas::Blend(const UxImage& image, const UxRect& src, const UxRect& dst, int alpha) {
  const auto* gdi = dynamic_cast<const GdiImage*>(&image);
  if (!gdi || src.IsEmpty() || dst.IsEmpty() || alpha <= 0) return;
  // One source DC for the whole paint; the first selection keeps the DC's
  // own bitmap to put back, later images only take their turn in it.
  if (!m_source_dc) {
    m_source_dc.Reset(::CreateCompatibleDC(m_dc));
    if (!m_source_dc) return;
    m_source_selection.emplace(m_source_dc.Get(), gdi->Bitmap());
  } else {
    ::SelectObject(m_source_dc.Get(), gdi->Bitmap());
  }
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::min(alpha, 255)), AC_SRC_ALPHA};
  ::GdiAlphaBlend(m_dc, dst.left, dst.top, dst.Width(), dst.Height(), m_source_dc.Get(), src.left, src.top, src.Width(),
                  src.Height(), blend);
}

void GdiCanvas::FillSolid(const UxRect& rect, UxColour colour) {
  const uint32_t pixel = OpaquePixel(colour);
  ForEachPixel(rect, [pixel](uint32_t) { return pixel; });
}

void GdiCanvas::FillAlpha(const UxRect& rect, UxColour colour, int alpha) {
  if (alpha >= 255) return FillSolid(rect, colour);
  ForEachPixel(rect, [&](uint32_t dst) { return BlendPixel(dst, colour, alpha); });
}

void GdiCanvas::OutlineRect(const UxRect& rect) {
  // Rectangle() with a fresh DC's pen and brush: black outline, white inside.
  FillSolid(rect, MakeColour(0, 0, 0));
  FillSolid(rect.Deflated(1, 1), MakeColour(255, 255, 255));
}

void GdiCanvas::RoundBlock(const UxRect& rect, UxColour pen, UxColour fill) {
  if (rect.IsEmpty()) return;
  if (fill != kNoColour) {
    // The opaque fill covers the outline drawn before it.
    FillSolid(rect, fill);
    return;
  }
  // Outline with the 2 × 2 corners left out, inside with the white brush.
  FillSolid({rect.left + 1, rect.top, rect.right - 1, rect.bottom}, pen);
  FillSolid({rect.left, rect.top + 1, rect.right, rect.bottom - 1}, pen);
  FillSolid(rect.Deflated(1, 1), MakeColour(255, 255, 255));
}

Gdiplus::Graphics* GdiCanvas::Graphics() {
  if (m_graphics) return m_graphics.get();
  if (!EnsureGdiplus()) return nullptr;
  m_shared_bitmap = std::make_unique<Gdiplus::Bitmap>(m_target.Width(), m_target.Height(), m_target.Width() * 4,
                                                      PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(m_target.Bits()));
  if (m_shared_bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  m_graphics = std::make_unique<Gdiplus::Graphics>(m_shared_bitmap.get());
  if (m_graphics->GetLastStatus() != Gdiplus::Ok) {
    m_graphics.reset();
    return nullptr;
  }
  RefreshClipRects();
  return m_graphics.get();
}

void GdiCanvas::DrawTextRun(const UxTextRun& run) {
  if (run.text.empty()) return;
  if (run.path == UxTextRun::Path::kGdiPlus) return DrawGdiplusText(run);
  DrawGdiText(run, run.path == UxTextRun::Path::kShadow);
}

void GdiCanvas::DrawGdiText(const UxTextRun& run, bool shadow, int alpha) {
  // Remember the pixels GDI may touch so the ones it changed get their alpha.
  const UxRect area{std::max(0, run.rect.left - 4), std::max(0, run.rect.top - 4),
                    std::min(m_target.Width(), run.rect.right + 4), std::min(m_target.Height(), run.rect.bottom + 4)};
  if (area.IsEmpty()) return;
  std::vector<uint32_t> before;
  before.reserve(static_cast<size_t>(area.Width()) * area.Height());
  for (int y = area.top; y < area.bottom; ++y) {
    const uint32_t* row = m_target.Bits() + static_cast<size_t>(y) * m_target.Width();
    before.insert(before.end(), row + area.left, row + area.right);
  }
  {
    const tw::win::SavedDcState saved(m_dc);  // font, colours and mode go back with it
    ::SelectObject(m_dc, UxFontPool::Instance().Font(run.font));
    ::SetTextColor(m_dc, run.colour);
    ::SetBkMode(m_dc, run.transparent ? TRANSPARENT : OPAQUE);
    ::SetBkColor(m_dc, run.background == kNoColour ? RGB(255, 255, 255) : run.background);
    RECT rect = ToRect(run.rect);
    bool drawn = false;
    if (shadow && ShadowTextFunction()) {
      drawn = ShadowTextFunction()(m_dc, run.text.data(), static_cast<UINT>(run.text.size()), &rect, run.format,
                                   run.colour, run.shadow, 2, 2) > 0;
    }
    if (!drawn) ::DrawTextW(m_dc, run.text.data(), static_cast<int>(run.text.size()), &rect, run.format);
    ::GdiFlush();
  }
  size_t i = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    uint32_t* row = m_target.Bits() + static_cast<size_t>(y) * m_target.Width();
    for (int x = area.left; x < area.right; ++x, ++i) {
      if (row[x] != before[i])
        row[x] = alpha >= 255 ? row[x] | 0xFF000000u : Mix(before[i], row[x] | 0xFF000000u, alpha);
    }
  }
}

void GdiCanvas::DrawGdiplusText(const UxTextRun& run) {
  Gdiplus::Graphics* graphics = Graphics();
  // Without GDI+ for this font, GDI draws it and the pixels it changed are
  // blended: the text still fades. (GDI+ refuses a face known only through a
  // font substitute, 微软雅黑 under Wine for one.)
  if (!graphics) return DrawGdiText(run, false, run.alpha);
  auto font = GdiplusFont(m_dc, run.font);
  if (!font) return DrawGdiText(run, false, run.alpha);
  Gdiplus::StringFormat format;
  BuildStringFormat(format, run.format, run.format_ex);
  graphics->SetTextRenderingHint(static_cast<Gdiplus::TextRenderingHint>(run.render_hint));
  Gdiplus::SolidBrush brush(GdiplusColour(run.colour, run.alpha));
  const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(run.rect.left), static_cast<Gdiplus::REAL>(run.rect.top),
                              static_cast<Gdiplus::REAL>(run.rect.Width()),
                              static_cast<Gdiplus::REAL>(run.rect.Height()));
  graphics->DrawString(run.text.data(), static_cast<INT>(run.text.size()), font.get(), layout, &format, &brush);
  graphics->Flush(Gdiplus::FlushIntentionSync);
}

void GdiCanvas::PushClip(const UxRect& rect) {
  m_saved.push_back(std::make_unique<tw::win::SavedDcState>(m_dc));
  ::IntersectClipRect(m_dc, rect.left, rect.top, rect.right, rect.bottom);
  RefreshClipRects();
}

void GdiCanvas::PopClip() {
  if (m_saved.empty()) return;
  m_saved.pop_back();
  RefreshClipRects();
}

void GdiCanvas::Clear() {
  ForEachPixel({0, 0, m_target.Width(), m_target.Height()}, [](uint32_t) { return 0u; });
}

}  // namespace tw::ux::win
