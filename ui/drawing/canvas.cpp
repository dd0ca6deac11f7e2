#include "ui/drawing/canvas.h"

namespace tw::ux {

namespace {
IUxImageSource* g_images = nullptr;
IUxTextMeasurer* g_measurer = nullptr;
}  // namespace

void SetImageSource(IUxImageSource* source) noexcept { g_images = source; }
IUxImageSource* ImageSource() noexcept { return g_images; }
void SetTextMeasurer(IUxTextMeasurer* measurer) noexcept { g_measurer = measurer; }
IUxTextMeasurer* TextMeasurer() noexcept { return g_measurer; }

}  // namespace tw::ux
