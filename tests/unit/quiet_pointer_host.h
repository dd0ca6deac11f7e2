// A pointer host that does nothing and answers as a plain top-level window
// that is not minimised: the base of the tests' recording hosts, and the
// host of the layout fuzz target.
#pragma once

#include "ui/layout/pointer_router.h"

namespace tw::ux::test {

class QuietPointerHost : public IUxPointerHost {
 public:
  void CapturePointer() override {}
  void ReleasePointer() override {}
  void TrackPointerLeave() override {}
  void FocusWindow() override {}
  void StartWindowMove() override {}
  void StartResize(int) override {}
  void ToggleMaximized() override {}
  bool IsMinimized() const override { return false; }
  bool IsChildWindow() const override { return false; }
  void OpenLink(std::wstring_view) override {}
  void Notify(uint32_t, int, const char*) override {}
  void SetTooltipText(std::wstring_view) override {}
  void Repaint(const UxRect&) override {}
  int LastHitCode() const override { return 1; }  // the client area
};

}  // namespace tw::ux::test
