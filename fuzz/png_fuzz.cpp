// PNGs reach the reader from the resource module and the resource folder as
// well as from the installer itself: any bytes must decode to an image of the
// size its header gives, or to a refusal, never a crash or an overrun.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/drawing/png_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tw::ux::DecodedPixels decoded;
  const tw::ux::PngDecodeResult result =
      tw::ux::DecodePng(std::string_view(reinterpret_cast<const char*>(data), size), decoded);
  const size_t expected = result == tw::ux::PngDecodeResult::kOk
                              ? static_cast<size_t>(decoded.width) * static_cast<size_t>(decoded.height)
                              : 0;
  if (decoded.pixels.size() != expected) __builtin_trap();
  return 0;
}
