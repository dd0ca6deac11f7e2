// The DPI factor. The product's optional skin-manager module may install a
// scaler; without it the framework's own scaler gives the monitor's factor
// (set by the platform code at start-up and when the window moves to a
// monitor of another DPI). At 96 DPI nothing is scaled.
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

// The framework's own scaler: lengths and font heights times dpi / 96,
// rounded to the nearest pixel (580 × 410 at 144 DPI is 870 × 615).
class UxDpiScaler final : public IUxDpiScaler {
 public:
  static constexpr int kBaseDpi = 96;
  explicit UxDpiScaler(int dpi = kBaseDpi) noexcept : m_dpi(dpi > 0 ? dpi : kBaseDpi) {}
  int Dpi() const noexcept { return m_dpi; }
  bool IsScalingOn() const override { return m_dpi != kBaseDpi; }
  double Factor() const override { return static_cast<double>(m_dpi) / kBaseDpi; }
  int ScaleLength(int length) const override;
  int ScaleFontHeight(int height) const override { return ScaleLength(height); }

 private:
  int m_dpi;
};

// Null means no scaling: the factor is 1.
void SetDpiScaler(const IUxDpiScaler* scaler) noexcept;
// Installs the framework's own scaler at `dpi` (96: none).
void UseOwnDpiScaler(int dpi) noexcept;
// The DPI the factor stands for (96 without scaling).
int CurrentDpi() noexcept;
bool DpiScalingOn() noexcept;
double DpiFactor() noexcept;
int DpiScale(int length) noexcept;
int DpiScaleFontHeight(int height) noexcept;

}  // namespace tw::ux
