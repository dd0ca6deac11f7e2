// Skins: named drawing recipes kept in one process-wide pool, loaded from
// the skin documents at start-up. A control names a skin (through its style
// or its own `skin`); the skin knows its image, its state frames and the
// borders that must not be stretched.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui/drawing/canvas.h"
#include "ui/drawing/skin_geometry.h"
#include "ui/base/ux_object.h"

namespace tw::ux {

class CUxSkinBase : public CUxObject {
 public:
  // One frame at natural size, or stretched with mode 1; always opaque.
  virtual void DrawImageMode(IUxCanvas& /*canvas*/, const UxRect& /*rect*/, int /*frame*/, int /*mode*/) {}
  // Each type's plain drawing (progress bars, a host's `frame`).
  virtual void DrawImage(IUxCanvas& /*canvas*/, const UxRect& /*rect*/, int /*frame*/, int /*alpha*/) {}
  virtual UxSize SkinFrameSize() { return {}; }
  virtual bool IsStateless() { return true; }
  virtual bool LoadSkinImage() { return false; }
  // The nine-grid drawing control backgrounds use.
  virtual void DrawSkin(IUxCanvas& /*canvas*/, const UxRect& /*rect*/, int /*state*/, bool /*scaled*/, int /*alpha*/) {}
};

// The art's twice-as-large set: image N is also under N + this, drawn at
// twice the resolution, and taken when the DPI factor is above 1.25.
constexpr int kDoubleSizeImageOffset = 1000;
constexpr double kDoubleSizeImageFrom = 1.25;

// The image-backed types share their frames and nine-grid; they differ in
// where the image comes from and which attributes they read.
class CUxImageSkinBase : public CUxSkinBase {
 public:
  enum class Source { kPng, kJpg, kBitmap };
  explicit CUxImageSkinBase(Source source) : m_source(source) {}

  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  void DrawImageMode(IUxCanvas& canvas, const UxRect& rect, int frame, int mode) override;
  void DrawImage(IUxCanvas& canvas, const UxRect& rect, int frame, int alpha) override;
  UxSize SkinFrameSize() override;
  bool IsStateless() override { return m_subwidth == 0; }
  bool LoadSkinImage() override;
  void DrawSkin(IUxCanvas& canvas, const UxRect& rect, int state, bool scaled, int alpha) override;

  int ImageId() const noexcept { return m_src; }

 protected:
  // Names every image type reads; each type adds its own on top.
  int ApplyImageAttribute(std::string_view name, std::string_view value);
  // Rotation/flip applied to the image before drawing (the `png` type).
  virtual int RotateFlip() const { return 0; }
  virtual int WantedWidth() const { return 0; }
  // An image file taken before `src` when set (the `skinpng` types).
  virtual std::wstring_view ImageFile() const { return {}; }
  // The skin's own opacity, applied on top of the one each draw asks for.
  virtual int OwnAlpha() const { return 255; }
  int WithOwnAlpha(int alpha) const { return alpha * OwnAlpha() / 255; }
  PlainSource Plain(int frame) const;
  // The named file when there is one, else the resource `src`.
  std::shared_ptr<UxImage> SourceImage(IUxImageSource& images) const;

  Source m_source;
  int m_src = 0;
  int m_subwidth = 0;
  int m_left = 0;
  int m_top = 0;
  Margins m_margins;
  bool m_middle_tile = false;
  std::shared_ptr<UxImage> m_image;  // prepared once: scaled, flipped, premultiplied
  // The image prepared for a DPI factor, kept while the factor stays.
  std::shared_ptr<UxImage> m_dpi_image;
  double m_dpi_factor = 0;
};

// `png`: the type every skin of this program uses.
class CUxPngSkin : public CUxImageSkinBase {
 public:
  CUxPngSkin() : CUxImageSkinBase(Source::kPng) {}
  std::string_view TagName() const override { return "png"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

 protected:
  int RotateFlip() const override { return m_flip ? 4 : m_fliptype; }
  int WantedWidth() const override { return m_want_width; }

 private:
  int m_flip = 0;
  int m_fliptype = 0;
  int m_want_width = 0;
};

class CUxJpgSkin : public CUxImageSkinBase {
 public:
  CUxJpgSkin() : CUxImageSkinBase(Source::kJpg) {}
  std::string_view TagName() const override { return "jpg"; }
};

// `skinpng` and `skinjpg`: as png/jpg, flipped along X with `flip`, drawn
// with the skin's own `alpha`, from the resource set's image `file` when
// there is one; `extern_alpha_key` is kept (no external provider exists).
class CUxNormalImageSkin : public CUxImageSkinBase {
 public:
  CUxNormalImageSkin(Source source, std::string_view tag) : CUxImageSkinBase(source), m_tag(tag) {}
  std::string_view TagName() const override { return m_tag; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

 protected:
  int RotateFlip() const override { return m_flip ? 4 : 0; }
  std::wstring_view ImageFile() const override { return m_file; }
  int OwnAlpha() const override { return std::clamp(m_alpha, 0, 255); }

 private:
  std::string_view m_tag;
  std::wstring m_file;
  int m_alpha = 255;
  std::string m_alpha_key;
  int m_flip = 0;
};

// `imglst`, `imgframe`, `imghorzex`: bitmap-backed image lists.
class CUxImageSkin : public CUxImageSkinBase {
 public:
  explicit CUxImageSkin(std::string_view tag = "imglst") : CUxImageSkinBase(Source::kBitmap), m_tag(tag) {}
  std::string_view TagName() const override { return m_tag; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

 private:
  std::string_view m_tag;
  int m_mode = 0;
  UxColour m_mask = 0;
  int m_stretch_x = 0;
  int m_stretch_y = 0;
  UxColour m_crbg = kNoColour;
  std::string m_part;
};

// `button`: colours by state instead of an image.
class CUxSkinButton : public CUxSkinBase {
 public:
  std::string_view TagName() const override { return "button"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  bool IsStateless() override { return false; }
  void DrawImage(IUxCanvas& canvas, const UxRect& rect, int frame, int alpha) override;
  void DrawSkin(IUxCanvas& canvas, const UxRect& rect, int state, bool scaled, int alpha) override;

 private:
  UxColour m_bg = kNoColour, m_border = kNoColour;
  UxColour m_up[3] = {kNoColour, kNoColour, kNoColour};
  UxColour m_down[3] = {kNoColour, kNoColour, kNoColour};
  int m_use_border = 0;
};

// `gradation`: a two-colour gradient.
class CUxSkinGradation : public CUxSkinBase {
 public:
  std::string_view TagName() const override { return "gradation"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
  UxSize SkinFrameSize() override { return {m_size, m_size}; }
  void DrawImage(IUxCanvas& canvas, const UxRect& rect, int frame, int alpha) override;
  void DrawSkin(IUxCanvas& canvas, const UxRect& rect, int state, bool /*scaled*/, int alpha) override {
    DrawImage(canvas, rect, state, alpha);
  }

 private:
  UxColour m_from = 0, m_to = 0;
  int m_size = 0;
  int m_direction = 0;
};

// Creates a skin by its element name; null for unknown types.
std::unique_ptr<CUxSkinBase> CreateSkin(std::string_view type);

class UxSkinPool {
 public:
  static UxSkinPool& Instance();
  // Adds every named skin of a `skins` document; a name already present is
  // skipped (the first definition wins). False when the document is not
  // XML or its root is not `skins`.
  [[nodiscard]] bool LoadDocument(std::string_view xml);
  CUxSkinBase* Find(std::string_view name) const;
  void Clear() { m_skins.clear(); }
  size_t Size() const noexcept { return m_skins.size(); }

 private:
  std::map<std::string, std::unique_ptr<CUxSkinBase>, std::less<>> m_skins;
};

}  // namespace tw::ux
