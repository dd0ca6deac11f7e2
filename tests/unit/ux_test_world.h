// A small deterministic world for the framework's portable tests: images of
// chosen sizes by resource id, a text measurer whose glyphs are 6 pixels
// wide and as high as the font, and fresh skin, style and string pools.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/drawing/canvas.h"
#include "ui/drawing/skin.h"
#include "ui/base/string_table.h"
#include "ui/drawing/style.h"

namespace tw::ux::test {

class SizedImage : public UxImage {
 public:
  SizedImage(int w, int h) : m_w(w), m_h(h) {}
  int Width() const override { return m_w; }
  int Height() const override { return m_h; }

 private:
  int m_w, m_h;
};

class FakeImages : public IUxImageSource {
 public:
  std::map<int, std::pair<int, int>> sizes;
  std::map<std::wstring, std::pair<int, int>, std::less<>> files;
  std::vector<int> rotate_flips;  // every RotateFlipType asked for
  int decodes = 0;
  std::shared_ptr<UxImage> Png(int id) override {
    auto found = sizes.find(id);
    if (found == sizes.end()) return nullptr;
    ++decodes;
    return std::make_shared<SizedImage>(found->second.first, found->second.second);
  }
  std::shared_ptr<UxImage> Jpg(int id) override { return Png(id); }
  std::shared_ptr<UxImage> Bitmap(int id) override { return Png(id); }
  std::shared_ptr<UxImage> File(std::wstring_view name) override {
    auto found = files.find(name);
    if (found == files.end()) return nullptr;
    return std::make_shared<SizedImage>(found->second.first, found->second.second);
  }
  std::vector<std::pair<int, int>> scaled;  // (from width, to width) of every resize asked for
  std::shared_ptr<UxImage> ScaledToWidth(const std::shared_ptr<UxImage>& image, int width) override {
    scaled.emplace_back(image->Width(), width);
    return std::make_shared<SizedImage>(width, image->Height() * width / std::max(1, image->Width()));
  }
  std::shared_ptr<UxImage> RotatedFlipped(const std::shared_ptr<UxImage>& image, int rotate_flip) override {
    rotate_flips.push_back(rotate_flip);
    return image;
  }
};

class FakeMeasurer : public IUxTextMeasurer {
 public:
  UxSize MeasureText(std::wstring_view text, UxFontChoice font, uint32_t, const UxRect&, bool, const UxRect&) override {
    const int height = -FontHeight(font);
    return {static_cast<int>(text.size()) * 6, height};
  }
  int FontHeight(UxFontChoice font) override { return DecodeFontCode(font.code, UxBaseFont::Instance().height).height; }
};

// Every drawing call as text, for canvases in tests.
class RecordingCanvas : public IUxCanvas {
 public:
  std::vector<std::string> calls;
  std::vector<UxTextRun> texts;
  std::deque<std::wstring> text_copies;
  UxRect region{-100000, -100000, 100000, 100000};

  UxSize MeasureText(std::wstring_view text, UxFontChoice font, uint32_t format, const UxRect& box, bool gdiplus,
                     const UxRect& layout) override {
    return m_measurer.MeasureText(text, font, format, box, gdiplus, layout);
  }
  int FontHeight(UxFontChoice font) override { return m_measurer.FontHeight(font); }
  bool Meets(const UxRect& rect) const override { return rect.Intersects(region); }
  void Blend(const UxImage&, const UxRect& src, const UxRect& dst, int alpha) override {
    calls.push_back("blend " + Text(src) + " -> " + Text(dst) + " a" + std::to_string(alpha));
  }
  void FillSolid(const UxRect& rect, UxColour colour) override {
    calls.push_back("fill " + Text(rect) + " " + std::to_string(colour));
  }
  void FillAlpha(const UxRect& rect, UxColour colour, int alpha) override {
    calls.push_back("fillalpha " + Text(rect) + " " + std::to_string(colour) + " a" + std::to_string(alpha));
  }
  void OutlineRect(const UxRect& rect) override { calls.push_back("outline " + Text(rect)); }
  void RoundBlock(const UxRect& rect, UxColour /*pen*/, UxColour fill) override {
    calls.push_back("round " + Text(rect) + " " + std::to_string(fill));
  }
  void DrawTextRun(const UxTextRun& run) override {
    texts.push_back(run);
    text_copies.emplace_back(run.text);
    texts.back().text = text_copies.back();
    calls.push_back("text " + Text(run.rect));
  }
  void PushClip(const UxRect& rect) override { calls.push_back("clip " + Text(rect)); }
  void PopClip() override { calls.push_back("unclip"); }

  static std::string Text(const UxRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
  }

 private:
  FakeMeasurer m_measurer;
};

class UxWorld {
 public:
  UxWorld() {
    UxSkinPool::Instance().Clear();
    UxStylePool::Instance().Reset();
    UxString::Instance().Clear();
    UxBaseFont::Instance() = UxBaseFont();
    SetImageSource(&images);
    SetTextMeasurer(&measurer);
  }
  ~UxWorld() {
    SetImageSource(nullptr);
    SetTextMeasurer(nullptr);
    UxSkinPool::Instance().Clear();
    UxStylePool::Instance().Reset();
    UxString::Instance().Clear();
  }
  FakeImages images;
  FakeMeasurer measurer;
};

}  // namespace tw::ux::test
