#include "ui/hosts/dwm_glass_win.h"

#include "platform/win/library_loading_win.h"
#include "platform/win/proc_address_win.h"

#include <cstddef>

namespace tw::ux::win {

namespace {

struct Margins {
  int left, right, top, bottom;
};

struct BlurBehindInfo {
  DWORD flags;
  BOOL enable;
  HRGN region;
  BOOL transition_on_maximized;
};
// MARGINS and DWM_BLURBEHIND as dwmapi reads them on either build.
static_assert(sizeof(Margins) == 16);
static_assert(offsetof(BlurBehindInfo, transition_on_maximized) == 8 + sizeof(void*) &&
              sizeof(BlurBehindInfo) == 8 + 2 * sizeof(void*));

// The version class the glass accepts: NT 6.0 or 6.1, workstation or server.
bool GlassVersion() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 6 && version.dwMinorVersion <= 1;
}

}  // namespace

DwmGlass& DwmGlass::Instance() {
  static DwmGlass instance;
  return instance;
}

DwmGlass::DwmGlass() {
  m_version_ok = GlassVersion();
  HMODULE dwm = tw::win::LoadSystemLibrary(L"dwmapi.dll");
  if (!dwm) return;
  m_extend = tw::win::GetProc<ExtendFn>(dwm, "DwmExtendFrameIntoClientArea");
  m_is_enabled = tw::win::GetProc<IsEnabledFn>(dwm, "DwmIsCompositionEnabled");
  m_enable = tw::win::GetProc<EnableFn>(dwm, "DwmEnableComposition");
  m_blur = tw::win::GetProc<BlurFn>(dwm, "DwmEnableBlurBehindWindow");
}

bool DwmGlass::CompositionEnabled() const {
  BOOL enabled = FALSE;
  return m_is_enabled && SUCCEEDED(m_is_enabled(&enabled)) && enabled;
}

bool DwmGlass::Apply(HWND window) const {
  if (!m_version_ok || !Available() || !CompositionEnabled()) return false;
  const Margins sheet{-1, 0, 0, 0};
  if (FAILED(m_extend(window, &sheet))) return false;
  m_enable(1);
  return true;
}

void DwmGlass::BlurBehind(HWND window, HRGN region) const {
  if (!m_blur) return;
  const BlurBehindInfo info{0x3 /* enable | region */, TRUE, region, FALSE};
  m_blur(window, &info);
}

}  // namespace tw::ux::win
