// A canvas and text measurer that draw nothing but check what they are
// asked: the framework must never hand them an inverted source rectangle or
// a part outside its image.
#pragma once

#include "ui/drawing/canvas.h"
#include "ui/drawing/style.h"

namespace tw::ux::fuzz {

class CheckingCanvas : public IUxCanvas {
 public:
  UxSize MeasureText(std::wstring_view text, UxFontChoice, uint32_t, const UxRect&, bool, const UxRect&) override {
    return {static_cast<int>(text.size()) * 7, 14};
  }
  int FontHeight(UxFontChoice font) override { return DecodeFontCode(font.code, -12).height; }
  bool Meets(const UxRect& /*rect*/) const override { return true; }
  void Blend(const UxImage& image, const UxRect& src, const UxRect& dst, int) override {
    if (src.IsEmpty() || dst.IsEmpty() || src.left < 0 || src.top < 0 || src.right > image.Width() ||
        src.bottom > image.Height()) {
      __builtin_trap();
    }
  }
  void FillSolid(const UxRect&, UxColour) override {}
  void FillAlpha(const UxRect&, UxColour, int) override {}
  void OutlineRect(const UxRect&) override {}
  void RoundBlock(const UxRect&, UxColour, UxColour) override {}
  void DrawTextRun(const UxTextRun&) override {}
  void PushClip(const UxRect&) override { ++depth; }
  void PopClip() override {
    if (--depth < 0) __builtin_trap();
  }
  int depth = 0;
};

class FixedImage : public UxImage {
 public:
  FixedImage(int w, int h) : m_w(w), m_h(h) {}
  int Width() const override { return m_w; }
  int Height() const override { return m_h; }

 private:
  int m_w, m_h;
};

// Every image id is an image of a size derived from the id.
class AnyImages : public IUxImageSource {
 public:
  std::shared_ptr<UxImage> Png(int id) override {
    if (id <= 0) return nullptr;
    return std::make_shared<FixedImage>(1 + id % 97, 1 + (id / 97) % 61);
  }
  std::shared_ptr<UxImage> Jpg(int id) override { return Png(id); }
  std::shared_ptr<UxImage> Bitmap(int id) override { return Png(id); }
  std::shared_ptr<UxImage> File(std::wstring_view name) override {
    return name.empty() ? nullptr : Png(static_cast<int>(name.size()));
  }
  std::shared_ptr<UxImage> ScaledToWidth(const std::shared_ptr<UxImage>& image, int width) override {
    return std::make_shared<FixedImage>(std::max(1, std::min(width, 4096)), image->Height());
  }
  std::shared_ptr<UxImage> RotatedFlipped(const std::shared_ptr<UxImage>& image, int) override { return image; }
};

}  // namespace tw::ux::fuzz
