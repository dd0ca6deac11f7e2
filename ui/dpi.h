// The DPI factor. It comes from the product's optional skin-manager module;
// without it the factor is 1 and nothing is scaled. The hooks stay so that a
// scaler installed by the platform code changes every scaled number at once.
#pragma once

namespace tw::ux {

class IUxDpiScaler {
 public:
  virtual ~IUxDpiScaler() = default;
  virtual bool IsScalingOn() const = 0;
  virtual double Factor() const = 0;
  virtual int ScaleLength(int length) const = 0;
  virtual int ScaleFontHeight(int height) const = 0;
};

// Null means no scaling: the factor is 1.
void SetDpiScaler(const IUxDpiScaler* scaler) noexcept;
bool DpiScalingOn() noexcept;
double DpiFactor() noexcept;
int DpiScale(int length) noexcept;
int DpiScaleFontHeight(int height) noexcept;

}  // namespace tw::ux
