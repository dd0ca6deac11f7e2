// Renders one layout to pixels the way the installer would show it: the
// resource set is loaded (from a folder, or the executable's own), the host
// window is created under the real window manager, by-id operations and
// pointer events are applied, and the window's own pixels are taken with
// WM_PRINT (a screenshot of the root would show layered windows over black).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/drawing/image_pool_win.h"

namespace tw::ux::win {

struct RenderRequest {
  int layout_id = 0;
  bool framed = false;  // through the framed dialog host (message boxes)
  bool overlay = true;  // the top-level host's border outline
  int dpi = 0;          // 0: the screen's; else the framework scales at this DPI
  int width = 0;        // 0: the layout's own size
  int height = 0;
  // "show:ID:0|1", "enable:ID:0|1", "check:ID:0|1", "text:ID:TEXT", "attr:ID:NAME:VALUE",
  // "opacity:ID:0..255"
  std::vector<std::wstring> operations;
  // "move:X:Y", "down:X:Y", "up:X:Y", "dblclick:X:Y", "leave"
  std::vector<std::wstring> events;
  // Milliseconds of animation to play before the picture, on a clock the
  // renderer moves itself (20 ms a tick); negative: no ticks at all.
  double advance_ms = -1;
  // Controls whose rectangles (window client coordinates) are asked for.
  std::vector<int> rect_ids;
};

struct RenderResult {
  bool ok = false;
  std::wstring error;
  std::shared_ptr<GdiImage> image;   // premultiplied, the window's client size
  std::vector<std::string> notices;  // "click 26 dlgbtnEx2", "open https://..."
  std::vector<std::string> rects;    // "rect ID LEFT TOP RIGHT BOTTOM", "rect ID none"
};

// Loads the framework's resources once: from `directory` when given (the
// folder comes first), from the program file `module` when given (the
// installer's own resources, say), and from the running executable.
void UseRenderResources(const std::wstring& directory, const std::wstring& module = L"");
[[nodiscard]] RenderResult RenderLayout(const RenderRequest& request);

// A window's own pixels (its client area) through WM_PRINT.
std::shared_ptr<GdiImage> PrintWindowPixels(HWND window);

}  // namespace tw::ux::win
