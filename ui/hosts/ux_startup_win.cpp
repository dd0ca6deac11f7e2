#include "ui/hosts/ux_startup_win.h"

#include "platform/win/gdi_handles_win.h"
#include "platform/win/registry_win.h"
#include "ui/controls/animate_node.h"
#include "ui/base/contrast.h"
#include "ui/base/dpi.h"
#include "ui/drawing/font_pool_win.h"
#include "ui/drawing/gdi_canvas_win.h"
#include "ui/drawing/image_pool_win.h"
#include "ui/drawing/skin.h"
#include "ui/base/string_table.h"
#include "ui/drawing/style.h"
#include "ui/drawing/ux_resource_win.h"

namespace tw::ux::win {

namespace {

// The PAG engine belongs to the installed product; it is loaded on first use.
bool LoadPagEngine() {
  static HMODULE engine = [] {
    tw::win::UniqueRegKey key = tw::win::OpenRegKey(HKEY_LOCAL_MACHINE, L"software\\tarnwick\\antivirus",
                                                    KEY_QUERY_VALUE, tw::win::RegistryView::kDefault);
    const std::optional<std::wstring> directory =
        key ? tw::win::ReadRegString(key.Get(), L"ProgramPath") : std::nullopt;
    if (!directory || directory->empty()) return static_cast<HMODULE>(nullptr);
    std::wstring path = *directory;
    if (path.back() != L'\\') path += L'\\';
    return ::LoadLibraryW((path + L"twpagengine.dll").c_str());
  }();
  return engine != nullptr;
}

}  // namespace

int ScreenDpi() {
  const tw::win::WindowDc screen(nullptr);
  const int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : UxDpiScaler::kBaseDpi;
}

void ReadSystemContrast() {
  HIGHCONTRASTW setting{};
  setting.cbSize = sizeof setting;
  HighContrastColours colours;
  colours.on = ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
               (setting.dwFlags & HCF_HIGHCONTRASTON);
  colours.window = ::GetSysColor(COLOR_WINDOW);
  colours.text = ::GetSysColor(COLOR_WINDOWTEXT);
  colours.hot = ::GetSysColor(COLOR_HOTLIGHT);
  colours.gray = ::GetSysColor(COLOR_GRAYTEXT);
  colours.highlight = ::GetSysColor(COLOR_HIGHLIGHT);
  SetHighContrast(colours);
}

void ApplyDpi(int dpi) {
  UseOwnDpiScaler(dpi);
  UxFontPool::Instance().ForgetScaledFonts();
}

UxStartupResult LoadFrameworkResources() {
  CUxPagItem::SetEngineLoader(&LoadPagEngine);
  ApplyDpi(ScreenDpi());
  ReadSystemContrast();
  static UxImagePools images;
  static GdiTextMeasurer measurer;
  SetImageSource(&images);
  SetTextMeasurer(&measurer);

  UxStartupResult result;
  const UxResource& resources = UxResource::Instance();
  for (const std::string& document : resources.LoadAll(10000, L"xml")) {
    result.skin_documents += UxSkinPool::Instance().LoadDocument(document);
  }
  UxStylePool::Instance().Reset();
  for (const std::string& document : resources.LoadAll(10001, L"xml")) {
    result.style_documents += UxStylePool::Instance().LoadDocument(document);
  }
  for (const std::string& document : resources.LoadAll(10002, L"xml")) {
    result.string_documents += UxString::Instance().LoadDocument(document);
  }
  UxFontPool& fonts = UxFontPool::Instance();
  const int choice = IsYaHeiFace(fonts.DetectedFace()) ? 10 : 11;
  result.base_face = UxString::Instance().Lookup(choice).value_or(std::wstring());
  fonts.SetBaseFont(result.base_face, -12);
  return result;
}

}  // namespace tw::ux::win
