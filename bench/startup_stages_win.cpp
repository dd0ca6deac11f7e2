// The installer's share of its start-up, stage by stage: one process runs
// the installer's own start-up code with the installer file's resources and
// times each stage on the way to the first frame, and what comes after it.
// startup_bench gives the whole (process start to first frame against an
// empty window); this tells where the installer's part of it goes.
//
//   startup_stages INSTALLER   → prints "name_ms=..." lines:
//     resources_ms     skins, styles, strings and fonts (LoadFrameworkResources)
//     made_ms          the main window made: layout, window, first layout
//     initdialog_ms    its WM_INITDIALOG
//     update_wait_ms   what the window waited for the self-update decision
//     update_ms        the decision itself, taken beside the window
//     first_frame_ms   shown and painted: the first frame
//     after_frame_ms   what the first page does not show, made after it
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "app/self_update.h"
#include "ui/drawing/ux_resource_win.h"
#include "ui/hosts/ux_startup_win.h"
#include "windows/main_window_win.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Posted by the road's start, the first thing made after the first frame:
// handled once all of that work is done.
constexpr UINT kMsgAfterFrameDone = WM_APP + 90;

class StagedWindow : public tw::TwDetectorMainDlg {
 public:
  using TwDetectorMainDlg::TwDetectorMainDlg;
  Clock::time_point initdialog_start, initdialog_end, frame, after_frame;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override {
    if (message == kMsgAfterFrameDone) {
      after_frame = Clock::now();
      EndDialog(0);
      handled = true;
      return 0;
    }
    if (message != WM_INITDIALOG) return TwDetectorMainDlg::OnMessage(message, wparam, lparam, handled);
    initdialog_start = Clock::now();
    const LRESULT result = TwDetectorMainDlg::OnMessage(message, wparam, lparam, handled);
    initdialog_end = Clock::now();
    return result;
  }
  void BeforeOutput(tw::ux::win::GdiImage& bitmap) override {
    if (frame == Clock::time_point()) frame = Clock::now();
    TwDetectorMainDlg::BeforeOutput(bitmap);
  }
  // The road itself is left out: its thread would fetch the configuration.
  void StartWorker() override { ::PostMessageW(Hwnd(), kMsgAfterFrameDone, 0, 0); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  // The installer's resources, read from its file as it reads them from itself.
  HMODULE installer = ::LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!installer) return 1;
  tw::ux::win::UxResource::Instance().SetResourceModule(installer);

  const Clock::time_point start = Clock::now();
  Clock::time_point decided;
  std::thread decision([&] {
    (void)tw::ShouldSwitchToUpdate();
    decided = Clock::now();
  });
  const Clock::time_point resources_start = Clock::now();
  (void)tw::ux::win::LoadFrameworkResources();
  const Clock::time_point resources_end = Clock::now();

  Clock::time_point made, waited;
  StagedWindow window(1029, 7);
  window.ShowOnlyIf([&] {
    made = Clock::now();
    decision.join();
    waited = Clock::now();
    return true;
  });
  const Clock::time_point modal = Clock::now();
  window.DoModal(nullptr);
  if (decision.joinable()) decision.join();
  if (window.after_frame == Clock::time_point()) return 1;

  const double initdialog = Ms(window.initdialog_start, window.initdialog_end);
  std::printf(
      "resources_ms=%.1f\nmade_ms=%.1f\ninitdialog_ms=%.1f\nupdate_wait_ms=%.1f\nupdate_ms=%.1f\n"
      "first_frame_ms=%.1f\nafter_frame_ms=%.1f\n",
      Ms(resources_start, resources_end), Ms(modal, made) - initdialog, initdialog, Ms(made, waited),
      Ms(start, decided), Ms(waited, window.frame), Ms(window.frame, window.after_frame));
  return 0;
}
