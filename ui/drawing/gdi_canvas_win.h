// The canvas over a memory DC and its 32-bit premultiplied DIB. GDI leaves
// the alpha byte of everything it draws at 0, which a layered window shows
// as holes: fills are written straight into the pixels with their alpha,
// GDI text gets the alpha of the pixels it changed set, and GDI+ draws
// through a bitmap that shares the DIB's pixels (so its alpha is right).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/win/gdi_handles_win.h"
#include "ui/drawing/canvas.h"
#include "ui/drawing/gdiplus_win.h"
#include "ui/drawing/image_pool_win.h"

namespace tw::ux::win {

// Text sizes with a DC of its own; installed as the framework's measurer so
// that layouts can size text before any window exists.
class GdiTextMeasurer : public IUxTextMeasurer {
 public:
  GdiTextMeasurer();
  ~GdiTextMeasurer() override;
  UxSize MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box, bool gdiplus,
                     const UxRect& layout_box) override;
  int FontHeight(UxFontChoice font) override;

 private:
  tw::win::UniqueMemoryDc m_dc;
};

UxSize MeasureTextOnDc(HDC dc, std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box,
                       bool gdiplus, const UxRect& layout_box);

class GdiCanvas : public IUxCanvas {
 public:
  // `region` (may be null: everything) is the paint region; it is not owned.
  GdiCanvas(HDC dc, GdiImage& target, HRGN region);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  UxSize MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box, bool gdiplus,
                     const UxRect& layout_box) override;
  int FontHeight(UxFontChoice font) override;
  bool Meets(const UxRect& rect) const override;
  void Blend(const UxImage& image, const UxRect& src, const UxRect& dst, int alpha) override;
  void FillSolid(const UxRect& rect, UxColour colour) override;
  void FillAlpha(const UxRect& rect, UxColour colour, int alpha) override;
  void OutlineRect(const UxRect& rect) override;
  void RoundBlock(const UxRect& rect, UxColour pen, UxColour fill) override;
  void DrawTextRun(const UxTextRun& run) override;
  void PushClip(const UxRect& rect) override;
  void PopClip() override;

  // Sets every pixel inside the clip to 0 (fully transparent).
  void Clear();
  HDC Dc() const noexcept { return m_dc; }
  Gdiplus::Graphics* Graphics();

 private:
  void RefreshClipRects();
  // Calls `write(pixel)` for every pixel of `rect` inside the clip.
  template <typename F>
  void ForEachPixel(const UxRect& rect, F&& write);
  // GDI text; `alpha` below 255 blends the pixels it changed over what was
  // there (the translucent text GDI+ would have drawn).
  void DrawGdiText(const UxTextRun& run, bool shadow, int alpha = 255);
  void DrawGdiplusText(const UxTextRun& run);

  HDC m_dc;
  GdiImage& m_target;
  // Declared in this order so that the selection goes before its DC.
  tw::win::UniqueMemoryDc m_source_dc;
  std::optional<tw::win::ScopedSelection> m_source_selection;
  std::vector<RECT> m_clip_rects;
  std::vector<std::unique_ptr<tw::win::SavedDcState>> m_saved;
  std::unique_ptr<Gdiplus::Bitmap> m_shared_bitmap;
  std::unique_ptr<Gdiplus::Graphics> m_graphics;
};

}  // namespace tw::ux::win
