// uxrender: draws one layout of a resource set to a PNG, so that every
// window can be reviewed as a picture without running the installer.
//
//   uxrender [--dir RESOURCES | --exe PROGRAM] --layout ID [--framed] [--no-overlay] [--dpi N] [--size WxH]
//            [--op show:ID:0] [--event down:X:Y] ... [--advance MS] [--rect ID]... [--out FILE.png]
//
// --dir takes a resource set from a folder ("10000.xml", "3.png", ...),
// --exe from a program file's resources (the installer's own). Notifications
// the events produced are printed one per line, then "rect ID LEFT TOP
// RIGHT BOTTOM" for each control asked with --rect (where a script clicks
// it); --out may then be left out.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/utf8.h"
#include "tools/ux_render/render_session_win.h"

int wmain(int argc, wchar_t** argv) {
  using namespace tw::ux::win;
  RenderRequest request;
  std::wstring directory, module, output;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"--dir" && has_value) directory = argv[++i];
    else if (arg == L"--exe" && has_value) module = argv[++i];
    else if (arg == L"--layout" && has_value) request.layout_id = std::wcstol(argv[++i], nullptr, 10);
    else if (arg == L"--framed") request.framed = true;
    else if (arg == L"--no-overlay") request.overlay = false;
    else if (arg == L"--dpi" && has_value) request.dpi = std::wcstol(argv[++i], nullptr, 10);
    else if (arg == L"--size" && has_value) std::swscanf(argv[++i], L"%dx%d", &request.width, &request.height);
    else if (arg == L"--op" && has_value) request.operations.push_back(argv[++i]);
    else if (arg == L"--event" && has_value) request.events.push_back(argv[++i]);
    else if (arg == L"--advance" && has_value) request.advance_ms = std::wcstod(argv[++i], nullptr);
    else if (arg == L"--rect" && has_value) request.rect_ids.push_back(std::wcstol(argv[++i], nullptr, 10));
    else if (arg == L"--out" && has_value) output = argv[++i];
    else {
      std::fwprintf(stderr, L"unknown argument: %ls\n", arg.c_str());
      return 2;
    }
  }
  if (!request.layout_id || (output.empty() && request.rect_ids.empty())) {
    std::fwprintf(
        stderr,
        L"usage: uxrender [--dir DIR | --exe PROGRAM] --layout ID [--framed] [--dpi N] [--size WxH] [--op OP]... "
        L"[--event EVENT]... [--advance MS] [--rect ID]... [--out FILE.png]\n");
    return 2;
  }
  UseRenderResources(directory, module);
  const RenderResult result = RenderLayout(request);
  for (const std::string& notice : result.notices) std::printf("%s\n", notice.c_str());
  for (const std::string& rect : result.rects) std::printf("%s\n", rect.c_str());
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", tw::Utf16ToUtf8(result.error).c_str());
    return 1;
  }
  if (!output.empty() && !SavePng(*result.image, output)) {
    std::fwprintf(stderr, L"could not write %ls\n", output.c_str());
    return 1;
  }
  return 0;
}
