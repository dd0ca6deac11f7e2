// A soft shadow behind a frameless top-level window: a layered, click-through
// popup 4 pixels larger on every side that follows its owner. Its pixels come
// from the owner's shadow paint hook, else from the skin "dlg_shadow".
#pragma once

#include <windows.h>

#include <memory>

#include "ui/drawing/image_pool_win.h"
#include "ui/hosts/window_base_win.h"

namespace tw::ux::win {

class IShadowPaintHook {
 public:
  virtual ~IShadowPaintHook() = default;
  // Paints the shadow into `bitmap` (the owner's size plus the shadow on
  // every side); false lets the skin paint it.
  virtual bool PaintShadow(GdiImage& bitmap, int shadow_size) = 0;
};

class CShadowWnd : public UxWindowBase {
 public:
  // The shadow's width around the window at 96 DPI; it grows with the factor.
  static constexpr int kShadowSize = 4;
  static int ShadowSize();

  [[nodiscard]] bool Create(HWND owner, IShadowPaintHook* hook);
  // The owner's messages the shadow follows.
  void OnOwnerMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // Hands an owner's message to its shadow, if any; the shadow goes with
  // the owner's WM_DESTROY.
  static void Follow(std::unique_ptr<CShadowWnd>& shadow, UINT message, WPARAM wparam, LPARAM lparam);
  // Called after the owner painted.
  void Refresh();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Place();
  void Rebuild();

  HWND m_owner = nullptr;
  IShadowPaintHook* m_hook = nullptr;
  bool m_rebuild_pending = true;
  SIZE m_last_size{};
};

}  // namespace tw::ux::win
