#include "ui/dpi.h"

namespace tw::ux {

namespace {
const IUxDpiScaler* g_scaler = nullptr;
}

void SetDpiScaler(const IUxDpiScaler* scaler) noexcept { g_scaler = scaler; }
bool DpiScalingOn() noexcept { return g_scaler && g_scaler->IsScalingOn(); }
double DpiFactor() noexcept { return DpiScalingOn() ? g_scaler->Factor() : 1.0; }
int DpiScale(int length) noexcept { return DpiScalingOn() ? g_scaler->ScaleLength(length) : length; }
int DpiScaleFontHeight(int height) noexcept { return DpiScalingOn() ? g_scaler->ScaleFontHeight(height) : height; }

}  // namespace tw::ux
