// The framed dialog: a top-level frame window (CUxDialogImpl) whose client
// area is one child view (CUxDialogView, control id 1000) holding the layout.
// Message boxes use it. The view hands commands and framework notifications
// (idFrom 1000) to the frame, where window code handles them.
#pragma once

#include <memory>

#include "ui/hosts/host_core_win.h"
#include "ui/hosts/modal_win.h"
#include "ui/hosts/shadow_window_win.h"

namespace tw::ux::win {

class CUxDialogView : public UxHostCore {
 public:
  explicit CUxDialogView(int layout_id) : UxHostCore(layout_id, HostForm::kFramed) {}
  HWND Create(HWND frame, int width, int height);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  HWND NoticeTarget() const override { return ::GetParent(m_hwnd); }
};

class CUxDialogImpl : public UxWindowBase, private IModalWindow {
 public:
  explicit CUxDialogImpl(int layout_id) : m_view(layout_id) {}
  ~CUxDialogImpl() override;

  HWND Create(HWND owner, const RECT* rect = nullptr);
  INT_PTR DoModal(HWND owner = nullptr, const RECT* rect = nullptr);
  void EndDialog(INT_PTR result) { EndModal(m_modal, result); }
  // Stores the result that message 1027 ends the loop with.
  void SetPendingResult(INT_PTR result) noexcept { m_pending_result = result; }

  CUxDialogView& View() noexcept { return m_view; }
  void EnableShadow(bool on) noexcept { m_shadow_enabled = on; }
  void SetShadowPaintHook(IShadowPaintHook* hook) noexcept { m_shadow_hook = hook; }
  void SetBringToFront(bool on) noexcept { m_bring_to_front = on; }
  // Whether the frame is shown at once by DoModal (the window animator
  // shows it later with message 1026).
  void SetShowOnStart(bool on) noexcept { m_show_on_start = on; }
  CShadowWnd* Shadow() const noexcept { return m_shadow.get(); }

  static constexpr UINT kShowFrame = WM_USER + 2;            // 1026
  static constexpr UINT kEndWithStoredResult = WM_USER + 3;  // 1027

 protected:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  void RunModalLoop() override;

  CUxDialogView m_view;
  ModalState m_modal;
  INT_PTR m_pending_result = 0;

 private:
  HWND CreateModalWindow(HWND owner, const RECT* rect) override { return Create(owner, rect); }
  void ShowModalWindow(HWND window) override;
  void DestroyModalWindow() override { DestroyOwnWindow(); }

  std::unique_ptr<CShadowWnd> m_shadow;
  IShadowPaintHook* m_shadow_hook = nullptr;
  bool m_shadow_enabled = true;
  bool m_bring_to_front = true;
  bool m_show_on_start = true;
};

}  // namespace tw::ux::win
