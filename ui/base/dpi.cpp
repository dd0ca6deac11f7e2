#include "ui/base/dpi.h"

namespace tw::ux {

namespace {
const IUxDpiScaler* g_scaler = nullptr;
UxDpiScaler g_own_scaler;
}  // namespace

int UxDpiScaler::ScaleLength(int length) const {
  const long long scaled = static_cast<long long>(length) * m_dpi;
  const long long half = kBaseDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kBaseDpi : -((-scaled + half) / kBaseDpi));
}

void UseOwnDpiScaler(int dpi) noexcept {
  g_own_scaler = UxDpiScaler(dpi);
  g_scaler = g_own_scaler.IsScalingOn() ? &g_own_scaler : nullptr;
}

int CurrentDpi() noexcept {
  return DpiScalingOn() ? static_cast<int>(DpiFactor() * UxDpiScaler::kBaseDpi + 0.5) : UxDpiScaler::kBaseDpi;
}

void SetDpiScaler(const IUxDpiScaler* scaler) noexcept { g_scaler = scaler; }
bool DpiScalingOn() noexcept { return g_scaler && g_scaler->IsScalingOn(); }
double DpiFactor() noexcept { return DpiScalingOn() ? g_scaler->Factor() : 1.0; }
int DpiScale(int length) noexcept { return DpiScalingOn() ? g_scaler->ScaleLength(length) : length; }
int DpiScaleFontHeight(int height) noexcept { return DpiScalingOn() ? g_scaler->ScaleFontHeight(height) : height; }

}  // namespace tw::ux
