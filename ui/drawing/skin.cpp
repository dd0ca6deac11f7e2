#include "ui/drawing/skin.h"

#include <tinyxml2.h>

#include <algorithm>

#include "ui/base/attribute_values.h"
#include "ui/base/dpi.h"

namespace tw::ux {

int CUxImageSkinBase::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxSkinBase::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  return ApplyImageAttribute(name, value);
}

int CUxImageSkinBase::ApplyImageAttribute(std::string_view name, std::string_view value) {
  if (name == "name") return kAttrHandled;
  if (name == "src") m_src = ReadInt(value);
  else if (name == "subwidth") m_subwidth = ReadInt(value);
  else if (name == "left") m_left = ReadInt(value);
  else if (name == "top") m_top = ReadInt(value);
  else if (name == "margin_left") m_margins.left = ReadInt(value);
  else if (name == "margin_right") m_margins.right = ReadInt(value);
  else if (name == "margin_top") m_margins.top = ReadInt(value);
  else if (name == "margin_bottom") m_margins.bottom = ReadInt(value);
  else if (name == "middle_tile") m_middle_tile = ReadInt(value) != 0;
  else return kAttrUnknown;
  return kAttrHandled;
}

std::shared_ptr<UxImage> CUxImageSkinBase::SourceImage(IUxImageSource& images) const {
  if (!ImageFile().empty()) {
    if (std::shared_ptr<UxImage> image = images.File(ImageFile())) return image;
  }
  switch (m_source) {
    case Source::kPng: return images.Png(m_src);
    case Source::kJpg: return images.Jpg(m_src);
    case Source::kBitmap: return images.Bitmap(m_src);
  }
  return nullptr;
}

bool CUxImageSkinBase::LoadSkinImage() {
  if (m_image) return true;
  IUxImageSource* images = ImageSource();
  if (!images) return false;
  std::shared_ptr<UxImage> image = SourceImage(*images);
  // A failed decode is not kept: the next paint tries again.
  if (!image) return false;
  if (WantedWidth() > 0 && WantedWidth() != image->Width()) image = images->ScaledToWidth(image, WantedWidth());
  if (image && RotateFlip() != 0) image = images->RotatedFlipped(image, RotateFlip());
  m_image = std::move(image);
  return m_image != nullptr;
}

UxSize CUxImageSkinBase::SkinFrameSize() {
  if (!LoadSkinImage()) return {};
  return {m_subwidth ? m_subwidth : m_image->Width(), m_image->Height()};
}

PlainSource CUxImageSkinBase::Plain(int frame) const {
  PlainSource plain;
  plain.image_width = m_image->Width();
  plain.image_height = m_image->Height();
  plain.subwidth = m_subwidth;
  plain.frame_count = ComputeFrames(plain.image_width, m_subwidth).count;
  plain.frame = frame;
  plain.origin_x = m_left;
  plain.origin_y = m_top;
  plain.margins = m_margins;
  plain.middle_tile = m_middle_tile;
  return plain;
}

void CUxImageSkinBase::DrawImage(IUxCanvas& canvas, const UxRect& rect, int frame, int alpha) {
  if (!LoadSkinImage()) return;
  for (const BlendPart& part : PlainParts(Plain(frame), rect)) {
    canvas.Blend(*m_image, part.src, part.dst, WithOwnAlpha(alpha));
  }
}

void CUxImageSkinBase::DrawImageMode(IUxCanvas& canvas, const UxRect& rect, int frame, int mode) {
  if (!LoadSkinImage()) return;
  for (const BlendPart& part : PlainModeParts(Plain(frame), rect, mode)) {
    canvas.Blend(*m_image, part.src, part.dst, WithOwnAlpha(255));
  }
}

void CUxImageSkinBase::DrawSkin(IUxCanvas& canvas, const UxRect& rect, int state, bool scaled, int alpha) {
  if (!LoadSkinImage()) return;
  alpha = WithOwnAlpha(alpha);
  const FrameLayout frames = ComputeFrames(m_image->Width(), m_subwidth);
  NineGridSource source;
  source.image_width = m_image->Width();
  source.image_height = m_image->Height();
  source.frame_width = frames.width;
  source.frame = FrameForIndex(state, frames.count);
  source.origin_x = m_left;
  source.origin_y = m_top;
  source.margins = m_margins;
  if (scaled && DpiScalingOn() && DpiFactor() != 1.0) {
    // The scaled variant: borders and origin in scaled pixels over an image
    // prepared at the same factor.
    const double f = DpiFactor();
    auto scale = [f](int v) { return static_cast<int>(v * f); };
    source.margins = {scale(m_margins.left), scale(m_margins.right), scale(m_margins.top), scale(m_margins.bottom)};
    source.origin_x = scale(m_left);
    source.origin_y = scale(m_top);
    if (m_dpi_factor != f || !m_dpi_image) {
      IUxImageSource* images = ImageSource();
      // Drawn down from the sharp double-size image where there is one.
      std::shared_ptr<UxImage> from = m_image;
      if (images && f > kDoubleSizeImageFrom && m_source == Source::kPng && ImageFile().empty() && WantedWidth() == 0 &&
          RotateFlip() == 0) {
        if (std::shared_ptr<UxImage> twice = images->Png(m_src + kDoubleSizeImageOffset);
            twice && twice->Width() == 2 * m_image->Width()) {
          from = std::move(twice);
        }
      }
      m_dpi_image = images ? images->ScaledToWidth(from, scale(m_image->Width())) : nullptr;
      m_dpi_factor = f;
    }
    if (const std::shared_ptr<UxImage>& scaled_image = m_dpi_image) {
      source.image_width = scaled_image->Width();
      source.image_height = scaled_image->Height();
      source.frame_width = scaled_image->Width() / frames.count;
      for (const BlendPart& part : NineGridParts(source, rect)) canvas.Blend(*scaled_image, part.src, part.dst, alpha);
      return;
    }
  }
  for (const BlendPart& part : NineGridParts(source, rect)) canvas.Blend(*m_image, part.src, part.dst, alpha);
}

int CUxPngSkin::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxImageSkinBase::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "flip") m_flip = ReadInt(value);
  else if (name == "fliptype") m_fliptype = ReadInt(value);
  else if (name == "wantimgwidth") m_want_width = ReadInt(value);
  else return kAttrUnknown;
  return kAttrHandled;
}

int CUxNormalImageSkin::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxImageSkinBase::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "file") m_file = WideFromUtf8(value);
  else if (name == "alpha") m_alpha = ReadInt(value);
  else if (name == "extern_alpha_key") m_alpha_key = std::string(value);
  else if (name == "flip") m_flip = ReadInt(value);
  else return kAttrUnknown;
  return kAttrHandled;
}

int CUxImageSkin::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxImageSkinBase::ApplyAttribute(name, value, loading);
  if (result != kAttrUnknown) return result;
  if (name == "mode") m_mode = value == "mask" ? 1 : value == "alpha" ? 2 : 0;
  else if (name == "maskcolor") m_mask = ReadColour(value);
  else if (name == "stretch-x") m_stretch_x = ReadInt(value);
  else if (name == "stretch-y") m_stretch_y = ReadInt(value);
  else if (name == "crbg") m_crbg = ReadColour(value);
  else if (name == "part") m_part = std::string(value);
  else return kAttrUnknown;
  return kAttrHandled;
}

int CUxSkinButton::ApplyAttribute(std::string_view name, std::string_view value, bool /*loading*/) {
  static constexpr std::string_view kUp[] = {"bgup", "bguphover", "bguppush"};
  static constexpr std::string_view kDown[] = {"bgdown", "bgdownhover", "bgdownpush"};
  if (name == "name") return kAttrHandled;
  if (name == "bg") return m_bg = ReadColour(value), kAttrHandled;
  if (name == "border") return m_border = ReadColour(value), kAttrHandled;
  if (name == "useborder") return m_use_border = ReadInt(value), kAttrHandled;
  for (int i = 0; i < 3; ++i) {
    if (name == kUp[i]) return m_up[i] = ReadColour(value), kAttrHandled;
    if (name == kDown[i]) return m_down[i] = ReadColour(value), kAttrHandled;
  }
  return kAttrUnknown;
}

void CUxSkinButton::DrawImage(IUxCanvas& canvas, const UxRect& rect, int frame, int alpha) {
  DrawSkin(canvas, rect, frame, false, alpha);
}

void CUxSkinButton::DrawSkin(IUxCanvas& canvas, const UxRect& rect, int state, bool /*scaled*/, int alpha) {
  const UxColour* row = (state & kStateChecked) ? m_down : m_up;
  const int column = (state & kStatePushed) ? 2 : (state & kStateHover) ? 1 : 0;
  UxColour fill = row[column] != kNoColour ? row[column] : row[0] != kNoColour ? row[0] : m_bg;
  if (m_use_border && m_border != kNoColour) {
    canvas.FillAlpha(rect, m_border, alpha);
    if (fill != kNoColour) canvas.FillAlpha(rect.Deflated(1, 1), fill, alpha);
  } else if (fill != kNoColour) {
    canvas.FillAlpha(rect, fill, alpha);
  }
}

int CUxSkinGradation::ApplyAttribute(std::string_view name, std::string_view value, bool /*loading*/) {
  if (name == "name") return kAttrHandled;
  if (name == "from") m_from = ReadColour(value);
  else if (name == "to") m_to = ReadColour(value);
  else if (name == "size") m_size = ReadInt(value);
  else if (name == "direction") m_direction = value == "vert" ? 1 : 0;
  else return kAttrUnknown;
  return kAttrHandled;
}

void CUxSkinGradation::DrawImage(IUxCanvas& canvas, const UxRect& rect, int /*frame*/, int alpha) {
  // Bands of a few pixels are enough for a background gradient.
  const bool vertical = m_direction == 1;
  const int span = vertical ? rect.Height() : rect.Width();
  if (span <= 0) return;
  constexpr int kBand = 4;
  for (int offset = 0; offset < span; offset += kBand) {
    const int end = std::min(span, offset + kBand);
    auto mix = [&](int a, int b) { return a + (b - a) * offset / std::max(1, span - 1); };
    const UxColour colour =
        MakeColour(mix(ColourRed(m_from), ColourRed(m_to)), mix(ColourGreen(m_from), ColourGreen(m_to)),
                   mix(ColourBlue(m_from), ColourBlue(m_to)));
    const UxRect band = vertical ? UxRect{rect.left, rect.top + offset, rect.right, rect.top + end}
                                 : UxRect{rect.left + offset, rect.top, rect.left + end, rect.bottom};
    canvas.FillAlpha(band, colour, alpha);
  }
}

std::unique_ptr<CUxSkinBase> CreateSkin(std::string_view type) {
  if (type == "imglst") return std::make_unique<CUxImageSkin>("imglst");
  if (type == "imgframe") return std::make_unique<CUxImageSkin>("imgframe");
  if (type == "button") return std::make_unique<CUxSkinButton>();
  if (type == "imghorzex") return std::make_unique<CUxImageSkin>("imghorzex");
  if (type == "gradation") return std::make_unique<CUxSkinGradation>();
  if (type == "png") return std::make_unique<CUxPngSkin>();
  if (type == "jpg") return std::make_unique<CUxJpgSkin>();
  if (type == "skinpng") return std::make_unique<CUxNormalImageSkin>(CUxImageSkinBase::Source::kPng, "skinpng");
  if (type == "skinjpg") return std::make_unique<CUxNormalImageSkin>(CUxImageSkinBase::Source::kJpg, "skinjpg");
  return nullptr;
}

UxSkinPool& UxSkinPool::Instance() {
  static UxSkinPool instance;
  return instance;
}

bool UxSkinPool::LoadDocument(std::string_view xml) {
  tinyxml2::XMLDocument doc;
  const tinyxml2::XMLElement* root = ParseDocumentRoot(doc, xml, "skins");
  if (!root) return false;
  for (auto* element = root->FirstChildElement(); element; element = element->NextSiblingElement()) {
    const char* name = element->Attribute("name");
    if (!name || m_skins.count(std::string_view(name))) continue;
    std::unique_ptr<CUxSkinBase> skin = CreateSkin(element->Name());
    if (!skin) continue;
    skin->Load(*element);
    m_skins.emplace(name, std::move(skin));
  }
  return true;
}

CUxSkinBase* UxSkinPool::Find(std::string_view name) const {
  auto found = m_skins.find(name);
  return found == m_skins.end() ? nullptr : found->second.get();
}

}  // namespace tw::ux
