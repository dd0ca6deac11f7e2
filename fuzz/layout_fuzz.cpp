// Layout documents come with the executable, but a damaged or hand-edited
// one must fail the load or lay out, never crash: the whole tree is parsed,
// placed at a few sizes, hit-tested, routed and painted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/ux_fuzz_support.h"
#include "ui/controls/control_factory.h"
#include "ui/layout/layout.h"
#include "ui/layout/pointer_router.h"
#include "ui/drawing/skin.h"
#include "tests/unit/quiet_pointer_host.h"

namespace {}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tw::ux;
  static fuzz::CheckingCanvas canvas;
  static fuzz::AnyImages images;
  static bool ready = [] {
    SetImageSource(&images);
    SetTextMeasurer(&canvas);
    // The fixed documents must load, or every input would run against empty pools.
    if (!UxSkinPool::Instance().LoadDocument(
            R"(<skins><png name="a" src="300" subwidth="7" margin_left="3" margin_top="9"/><png name="b" src="5"/></skins>)") ||
        !UxStylePool::Instance().LoadDocument(
            R"(<style><class name="s" skin="a" x-margin="4"/><class name="t" textmode="10"/></style>)")) {
      std::abort();
    }
    return true;
  }();
  (void)ready;
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParsePosition(text);
  CUxControlCreator creator;
  UxLayout layout(HostForm::kTopLevel);
  layout.SetCreator(&creator);
  if (!layout.Parse(text)) return 0;
  tw::ux::test::QuietPointerHost host;
  UxPointerRouter router(layout, host, HostForm::kTopLevel);
  for (const UxRect client : {UxRect{0, 0, 580, 410}, UxRect{0, 0, 1, 1}, UxRect{0, 0, 0, 0}}) {
    layout.LayoutAll(client);
    for (int y = -1; y < 420; y += 37) {
      for (int x = -1; x < 590; x += 53) {
        router.OnMouseMove(x, y, 0, 0);
        router.OnLButtonDown(x, y, 0, 0);
        router.OnLButtonUp(x + 3, y, 0, 0);
      }
    }
    router.OnMouseLeave();
    layout.PaintInRegion(canvas);
  }
  for (int id = -1; id < 40; ++id) {
    layout.SetControlText(id, L"changed text");
    layout.SetControlAttribute(id, "pos", "|-5,-0,w10,h3");
    layout.ShowControl(id, id % 2 == 0);
  }
  layout.LayoutAll({0, 0, 300, 200});
  layout.PaintInRegion(canvas);
  if (canvas.depth != 0) __builtin_trap();
  return 0;
}
