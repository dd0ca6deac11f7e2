#include "tools/ux_render/render_session_win.h"

#include <algorithm>
#include <cwchar>

#include "platform/utf8.h"
#include "platform/win/gdi_handles_win.h"
#include "ui/controls/animate_node.h"
#include "ui/hosts/dialog_host_win.h"
#include "ui/hosts/framed_dialog_win.h"
#include "ui/drawing/ux_resource_win.h"
#include "ui/hosts/ux_startup_win.h"

namespace tw::ux::win {

namespace {

std::vector<std::wstring> Split(const std::wstring& text, size_t parts) {
  std::vector<std::wstring> out;
  size_t from = 0;
  while (out.size() + 1 < parts) {
    const size_t colon = text.find(L':', from);
    if (colon == std::wstring::npos) break;
    out.push_back(text.substr(from, colon - from));
    from = colon + 1;
  }
  out.push_back(text.substr(from));
  return out;
}

std::string Narrow(const std::wstring& text) { return Utf16ToUtf8(text); }

// Records what the window would have done instead of doing it: a headless
// run must not enter a window-move loop or start a browser.
template <typename Base>
class RecordingHost : public Base {
 public:
  using Base::Base;
  std::vector<std::string> notices;

  LRESULT OnMessage(UINT message, WPARAM /*wparam*/, LPARAM lparam, bool& handled) override {
    if (message == WM_NOTIFY) {
      const auto* notice = reinterpret_cast<const UxNotice*>(lparam);
      static const char* names[] = {"",      "click",    "resize", "enter", "leave", "", "control",
                                    "press", "dblclick", "rpress", "",      "",      "", "rrelease"};
      if (notice->code < 14 && notice->code != UXN_POINTER_ENTER) {
        notices.push_back(std::string(names[notice->code]) + " " + std::to_string(notice->ctrlId) +
                          (notice->code == UXN_CLICK && notice->ctrlTag && *notice->ctrlTag
                               ? std::string(" ") + notice->ctrlTag
                               : std::string()));
      }
      handled = true;
      return 0;
    }
    return 0;
  }
};

class TopLevelRenderHost : public RecordingHost<CUxDialogViewImplEx> {
 public:
  using RecordingHost::RecordingHost;
  void StartWindowMove() override { notices.push_back("move"); }
  void StartResize(int code) override { notices.push_back("resize " + std::to_string(code)); }
  void OpenLink(std::wstring_view href) override { notices.push_back("open " + Narrow(std::wstring(href))); }
};

// What a fade (an opacity change or an alpha animation) leaves a control at.
bool SetOpacity(UxHostCore& host, int id, int alpha) {
  CUxWindow* control = host.FindControlById(id);
  if (!control) return false;
  control->SetOpacity(alpha);
  control->RequestRepaint(control->Rect());
  return true;
}

bool ApplyOperation(UxHostCore& host, const std::wstring& operation, std::wstring& error) {
  const std::vector<std::wstring> parts = Split(operation, 4);
  if (parts.size() < 3) return error = L"bad operation: " + operation, false;
  const int id = std::wcstol(parts[1].c_str(), nullptr, 10);
  const bool on = parts[2] != L"0";
  bool done = false;
  if (parts[0] == L"show") done = host.ShowControl(id, on);
  else if (parts[0] == L"enable") done = host.EnableControl(id, on);
  else if (parts[0] == L"check") done = host.SetControlChecked(id, on);
  else if (parts[0] == L"text") done = host.SetControlText(id, Split(operation, 3).back());
  else if (parts[0] == L"attr" && parts.size() == 4)
    done = host.SetControlAttribute(id, Narrow(parts[2]), Narrow(parts[3]));
  else if (parts[0] == L"opacity") done = SetOpacity(host, id, std::wcstol(parts[2].c_str(), nullptr, 10));
  else return error = L"unknown operation: " + operation, false;
  if (!done) error = L"no control for: " + operation;
  return done;
}

bool SendEvent(HWND window, const std::wstring& event, std::wstring& error) {
  const std::vector<std::wstring> parts = Split(event, 3);
  if (parts[0] == L"leave") {
    ::SendMessageW(window, WM_MOUSELEAVE, 0, 0);
    return true;
  }
  if (parts.size() != 3) return error = L"bad event: " + event, false;
  const LPARAM point =
      MAKELPARAM(std::wcstol(parts[1].c_str(), nullptr, 10), std::wcstol(parts[2].c_str(), nullptr, 10));
  if (parts[0] == L"move") ::SendMessageW(window, WM_MOUSEMOVE, 0, point);
  else if (parts[0] == L"down") ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  else if (parts[0] == L"up") ::SendMessageW(window, WM_LBUTTONUP, 0, point);
  else if (parts[0] == L"dblclick") ::SendMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  else return error = L"unknown event: " + event, false;
  return true;
}

std::string RectLine(const UxHostCore& host, int id) {
  const CUxWindow* control = host.FindControlById(id);
  if (!control) return "rect " + std::to_string(id) + " none";
  const UxRect& r = control->Rect();
  return "rect " + std::to_string(id) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
         std::to_string(r.right) + " " + std::to_string(r.bottom);
}

class ManualClock : public IUxAnimationClock {
 public:
  double now = 0;
  double NowMs() override { return now; }
};

// Plays the animations of a host for `ms` on a clock of its own.
void Advance(UxHostCore& host, double ms) {
  if (ms < 0) return;
  ManualClock clock;
  SetAnimationClock(&clock);
  host.TickAnimations();
  for (double played = 0; played < ms;) {
    const double step = std::min(20.0, ms - played);
    clock.now += step;
    played += step;
    host.TickAnimations();
  }
  SetAnimationClock(nullptr);
}

template <typename Host>
RenderResult Run(Host& host, HWND window, HWND view, UxHostCore& core, const RenderRequest& request) {
  RenderResult result;
  if (!window) {
    result.error = L"the layout did not load";
    return result;
  }
  for (const std::wstring& operation : request.operations) {
    if (!ApplyOperation(core, operation, result.error)) return result;
  }
  // The pointer meets what is on screen: paint once before the events.
  if (!request.events.empty()) PrintWindowPixels(view);
  for (const std::wstring& event : request.events) {
    if (!SendEvent(view, event, result.error)) return result;
  }
  Advance(core, request.advance_ms);
  for (const int id : request.rect_ids) result.rects.push_back(RectLine(core, id));
  result.image = PrintWindowPixels(view);
  result.notices = host.notices;
  result.ok = result.image != nullptr;
  if (!result.ok) result.error = L"the window could not be printed";
  return result;
}

}  // namespace

std::shared_ptr<GdiImage> PrintWindowPixels(HWND window) {
  RECT client;
  ::GetClientRect(window, &client);
  auto image = GdiImage::Create(client.right, client.bottom);
  if (!image) return nullptr;
  const tw::win::BitmapDc memory(image->Bitmap());
  ::SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_CHILDREN);
  ::GdiFlush();
  return image;
}

void UseRenderResources(const std::wstring& directory, const std::wstring& module) {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  if (!directory.empty()) UxResource::Instance().SetDirectories(directory, L"", true);
  if (!module.empty()) {
    // Kept loaded for the life of the process, like the resources taken from it.
    HMODULE data = ::LoadLibraryExW(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (data) UxResource::Instance().SetResourceModule(data);
  }
  LoadFrameworkResources();
}

RenderResult RenderLayout(const RenderRequest& request) {
  if (request.dpi > 0) ApplyDpi(request.dpi);
  RECT rect{0, 0, request.width, request.height};
  const RECT* given = request.width && request.height ? &rect : nullptr;
  if (request.framed) {
    RecordingHost<CUxDialogImpl> framed(request.layout_id);
    framed.EnableShadow(false);
    HWND frame = framed.Create(nullptr, given);
    // The framed view reports to the frame: record there.
    return Run(framed, frame, framed.View().Hwnd(), framed.View(), request);
  }
  TopLevelRenderHost host(request.layout_id);
  host.EnableShadow(false);
  host.SetBorderPaint(request.overlay);
  HWND window = host.Create(nullptr, given);
  return Run(host, window, window, host, request);
}

}  // namespace tw::ux::win
