// The framework's own PNG reader, for the images that make up a page: 8-bit
// grey, truecolour and palette images, with or without alpha, not
// interlaced. Decoding them here keeps GDI+ and its codecs off the road to a
// window's first frame; whatever this reader does not take (other depths,
// interlacing, other formats) is left to GDI+.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tw::ux {

enum class PngDecodeResult {
  kOk,
  kNotPng,       // no PNG signature: another format, for another decoder
  kUnsupported,  // a PNG this reader does not take, for another decoder
  kDamaged,      // a PNG that breaks its own rules: no decoder should show it
  kTooLarge,     // larger than a window's image could ever be
};

// Rows top-down, each pixel premultiplied 0xAARRGGBB (a DIB's BGRA in memory).
struct DecodedPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// The largest image accepted, per side and in all.
inline constexpr int kMaxPngSide = 16384;
inline constexpr int64_t kMaxPngPixels = int64_t{16} * 1024 * 1024;

// Decodes into the memory `target` gives for the image's size (width x
// height pixels, rows top-down), called only once the image data is known
// good; a null target means no memory for it (kTooLarge). On any result but
// kOk what was written there is not an image.
using PixelTarget = std::function<uint32_t*(int width, int height)>;
[[nodiscard]] PngDecodeResult DecodePng(std::string_view bytes, const PixelTarget& target);
// The same into pixels of its own; empty unless kOk.
[[nodiscard]] PngDecodeResult DecodePng(std::string_view bytes, DecodedPixels& out);

// Straight 8-bit channels to the premultiplied form every paint blends, with
// the rounding the framework has always used (down), so a picture is the same
// whichever decoder made it.
constexpr uint32_t PremultipliedArgb(uint32_t argb) {
  const uint32_t a = argb >> 24;
  if (a == 255) return argb;
  if (a == 0) return 0;
  const uint32_t r = ((argb >> 16) & 0xFF) * a / 255;
  const uint32_t g = ((argb >> 8) & 0xFF) * a / 255;
  const uint32_t b = (argb & 0xFF) * a / 255;
  return (a << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace tw::ux
