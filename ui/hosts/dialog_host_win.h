// CUxDialogViewImplEx: a layout in its own top-level window. Window classes
// of the installer derive from it, build their state in WM_INITDIALOG and
// receive framework notifications as WM_NOTIFY with idFrom -1.
#pragma once

#include <memory>

#include "ui/hosts/host_core_win.h"
#include "ui/hosts/modal_win.h"
#include "ui/hosts/shadow_window_win.h"

namespace tw::ux::win {

class CUxDialogViewImplEx : public UxHostCore, private IModalWindow {
 public:
  explicit CUxDialogViewImplEx(int layout_id) : UxHostCore(layout_id, HostForm::kTopLevel) {}
  ~CUxDialogViewImplEx() override;

  // Creates the window (loading the layout first); null on failure.
  HWND Create(HWND owner, const RECT* rect = nullptr);
  // Runs the window modally; 0 when it could not be created.
  INT_PTR DoModal(HWND owner = nullptr, const RECT* rect = nullptr);
  void EndDialog(INT_PTR result) { EndModal(m_modal, result); }

  void EnableShadow(bool on) noexcept { m_shadow_enabled = on; }
  void EnableGlass(bool on) noexcept { m_glass_enabled = on; }
  void SetBringToFront(bool on) noexcept { m_bring_to_front = on; }
  // Whether DoModal shows the window (a window run silently never shows).
  void SetShowOnStart(bool on) noexcept { m_show_on_start = on; }
  void SetShadowPaintHook(IShadowPaintHook* hook) noexcept { m_shadow_hook = hook; }
  void SetNoFullDragWhileMoving(bool on) noexcept { m_no_full_drag = on; }
  bool GlassActive() const noexcept { return m_glass_active; }
  CShadowWnd* Shadow() const noexcept { return m_shadow.get(); }

  // Overridable parts, in the order window classes know them.
  // Asked once the window is made, before it first shows (run silently,
  // before its loop runs): false ends it unseen, DoModal answering 0.
  virtual bool BeforeShowing() { return true; }
  virtual DWORD GetLayerStyle() const { return Layer().style; }
  virtual DWORD GetLayerExStyle() const { return Layer().ex_style; }
  virtual void ApplyWindowRegion();
  void PaintOverlay(GdiCanvas& canvas) override;
  void BeforeOutput(GdiImage& /*bitmap*/) override {}
  void RunModalLoop() override;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Output(HDC paint_dc, HDC memory_dc) override;

  ModalState m_modal;

 private:
  HWND CreateModalWindow(HWND owner, const RECT* rect) override { return Create(owner, rect); }
  void ShowModalWindow(HWND window) override;
  void DestroyModalWindow() override { DestroyOwnWindow(); }
  [[nodiscard]] bool TryGlass();

  std::unique_ptr<CShadowWnd> m_shadow;
  IShadowPaintHook* m_shadow_hook = nullptr;
  bool m_shadow_enabled = true;
  bool m_glass_enabled = false;
  bool m_glass_active = false;
  bool m_bring_to_front = true;
  bool m_show_on_start = true;
  bool m_no_full_drag = false;
  BOOL m_full_drag_before = TRUE;
  bool m_shown_once = false;
};

using CUxDialogViewEx = CUxDialogViewImplEx;

}  // namespace tw::ux::win
