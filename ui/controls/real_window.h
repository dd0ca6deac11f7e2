// `realwnd`: a placeholder for a real child window of the host (an EDIT,
// say) whose control id equals the placeholder's `id`. It owns no pixels;
// placing, showing and hiding it moves, shows and hides the real window.
#pragma once

#include "ui/controls/window.h"

namespace tw::ux {

class CUxRealWnd : public CUxWindow {
 public:
  ~CUxRealWnd() override;
  std::string_view TagName() const override { return "realwnd"; }
  bool RepaintsOnStateChange() const override { return false; }
  void AttachHost(IUxContainer* host) override;
  intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled) override;
  void PaintBackground(IUxCanvas&) override {}

  // Shows the real window when the placeholder and its ancestors are visible.
  void SyncRealWindow();

 protected:
  void OnPlaced(const UxPlacement& placement) override;

 private:
  void* m_host_window = nullptr;
};

class CUxRealWnd2 : public CUxRealWnd {
 public:
  std::string_view TagName() const override { return "realwnd2"; }
};

class CUxRealWndEx : public CUxRealWnd {
 public:
  std::string_view TagName() const override { return "realwndex"; }
};

// Every placeholder below `root` shows or hides its real window (after the
// host window is created).
void SyncRealWindows(CUxWindow& root);

}  // namespace tw::ux
