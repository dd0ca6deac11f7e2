// What controls and skins draw with. The framework's drawing rules (which
// part of which image goes where, which colour and font a state takes) are
// portable; only these few primitives touch a device context. The Windows
// implementation is GdiCanvas (ui/drawing/gdi_canvas_win.h); tests use recorders.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <string>
#include <string_view>

#include "ui/base/ux_types.h"

namespace tw::ux {

// A decoded image ready to be blended: the platform keeps its pixels.
class UxImage {
 public:
  virtual ~UxImage() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// Images by resource id, decoded once and kept (the image caches).
class IUxImageSource {
 public:
  virtual ~IUxImageSource() = default;
  virtual std::shared_ptr<UxImage> Png(int id) = 0;
  virtual std::shared_ptr<UxImage> Jpg(int id) = 0;
  virtual std::shared_ptr<UxImage> Bitmap(int id) = 0;
  // An image file of the resource set on disk, by its plain file name (a
  // `skinpng` skin's `file`); none where no resource folder is set.
  virtual std::shared_ptr<UxImage> File(std::wstring_view name) = 0;
  // The image resized so that its width becomes `width` (height in proportion).
  virtual std::shared_ptr<UxImage> ScaledToWidth(const std::shared_ptr<UxImage>& image, int width) = 0;
  // The image rotated or flipped by a GDI+ RotateFlipType.
  virtual std::shared_ptr<UxImage> RotatedFlipped(const std::shared_ptr<UxImage>& image, int rotate_flip) = 0;
};
void SetImageSource(IUxImageSource* source) noexcept;
IUxImageSource* ImageSource() noexcept;

struct UxFontChoice {
  uint16_t code = 0;
  bool dpi_aware = false;
};

// One text drawing, fully decided by the portable rules of ui/controls/text_paint.h.
struct UxTextRun {
  std::wstring_view text;
  UxRect rect;
  uint32_t format = 0;  // DrawText bits
  UxFontChoice font;
  UxColour colour = 0;
  UxColour background = kNoColour;  // set into the DC (opaque mode only)
  bool transparent = true;
  enum class Path { kGdi, kGdiPlus, kShadow } path = Path::kGdi;
  int alpha = 255;         // GDI+ path
  uint32_t format_ex = 0;  // GDI+ string format bits (textmodeex)
  int render_hint = 0;     // GDI+ TextRenderingHint
  UxColour shadow = 0;     // shadow path
};

class IUxTextMeasurer {
 public:
  virtual ~IUxTextMeasurer() = default;
  // Size of the text laid out in `box` with `format` (alignment bits already
  // removed); `gdiplus` measures with GDI+ inside `layout_box`.
  virtual UxSize MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box,
                             bool gdiplus, const UxRect& layout_box) = 0;
  // The LOGFONT height (negative) of a font code.
  virtual int FontHeight(UxFontChoice font) = 0;
};
void SetTextMeasurer(IUxTextMeasurer* measurer) noexcept;
IUxTextMeasurer* TextMeasurer() noexcept;

class IUxCanvas : public IUxTextMeasurer {
 public:
  // Whether the rectangle meets the region being painted.
  virtual bool Meets(const UxRect& rect) const = 0;
  // AlphaBlend with per-pixel alpha and constant alpha; `src` is already
  // clipped to the image.
  virtual void Blend(const UxImage& image, const UxRect& src, const UxRect& dst, int alpha) = 0;
  virtual void FillSolid(const UxRect& rect, UxColour colour) = 0;
  virtual void FillAlpha(const UxRect& rect, UxColour colour, int alpha) = 0;
  // 1-pixel outline with the DC's current pen and brush (the `border` rule).
  virtual void OutlineRect(const UxRect& rect) = 0;
  // A rounded rectangle (corner 2 × 2) outlined with a 1-pixel pen of `pen`
  // and filled with `fill`, or with the DC's current brush when kNoColour.
  virtual void RoundBlock(const UxRect& rect, UxColour pen, UxColour fill) = 0;
  virtual void DrawTextRun(const UxTextRun& run) = 0;
  // Restricts drawing to `rect` (within the paint region) until PopClip.
  virtual void PushClip(const UxRect& rect) = 0;
  virtual void PopClip() = 0;
};

}  // namespace tw::ux
