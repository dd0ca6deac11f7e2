// What every host window does for its layout: loads it, paints the control
// tree into an off-screen DIB through the dirty region, routes the pointer,
// keeps the tooltip, moves real child windows, and offers window code the
// by-id operations. The top-level host and the framed dialog's inner view
// both run on this, each over its own HWND.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/com_win.h"
#include "platform/win/gdi_handles_win.h"
#include "ui/hosts/accessible_win.h"
#include "ui/hosts/animation_timeline_win.h"
#include "ui/controls/control_factory.h"
#include "ui/drawing/gdi_canvas_win.h"
#include "ui/layout/layout.h"
#include "ui/layout/pointer_router.h"
#include "ui/hosts/window_base_win.h"

namespace tw::ux::win {

// How the link controls of every layout open their address. The framework
// is hosted by elevated programs and opens nothing itself: the program says
// how (the installer opens pages as the signed-in user, never elevated).
// With none set, a link opens nothing. Set once, before any window.
using LinkOpener = bool (*)(const std::wstring& address);
void SetLinkOpener(LinkOpener opener) noexcept;

// A memory DC with one bitmap selected into it for as long as it lives.
class MemoryDc {
 public:
  MemoryDc();
  ~MemoryDc();
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Dc() const noexcept { return m_dc.Get(); }
  // Selects `bitmap` (null: the DC's own), putting the previous one back.
  void Select(HBITMAP bitmap);

 private:
  tw::win::UniqueMemoryDc m_dc;
  std::optional<tw::win::ScopedSelection> m_selection;
};

// Told after every placement of the sections (the top-level host form).
class IUxLayoutListener {
 public:
  virtual ~IUxLayoutListener() = default;
  virtual void OnLayoutChanged() = 0;
};

class UxHostCore : public UxWindowBase, public IUxContainer, public IUxPointerHost, public IUxAccessibleHost {
 public:
  UxHostCore(int layout_id, HostForm form);
  ~UxHostCore() override;

  // Fetches the "xml" resource and parses it; false leaves no layout.
  [[nodiscard]] bool LoadLayout();
  // Parses layout text given directly (the renderer, tests).
  [[nodiscard]] bool LoadLayoutText(const std::string& xml);
  bool LayoutLoaded() const noexcept { return m_layout.Layer().loaded; }
  UxLayout& Layout() noexcept { return m_layout; }
  const UxLayerDescription& Layer() const noexcept { return m_layout.Layer(); }
  int LayoutId() const noexcept { return m_layout_id; }

  // By-id operations for window code.
  bool ShowControl(int id, bool show);
  bool IsControlShown(int id, bool check_parents = true) const { return m_layout.IsControlShown(id, check_parents); }
  bool EnableControl(int id, bool enable);
  bool SetControlChecked(int id, bool check) { return m_layout.SetControlChecked(id, check); }
  bool IsControlChecked(int id) const { return m_layout.IsControlChecked(id); }
  bool SetControlText(int id, const std::wstring& text);
  bool SetControlAttribute(int id, std::string_view name, std::string_view value);
  bool SetControlIntAttribute(int id, std::string_view name, int number);
  bool SetControlPaintHook(int id, IUxWindowPaintHook* hook) { return m_layout.SetControlPaintHook(id, hook); }
  CUxWindow* FindControlById(int id) const { return m_layout.FindControlById(id); }
  // A real child window made after the layout was placed (window code that
  // waits for the first paint) takes its placeholder's place and visibility.
  void AdoptRealWindow(int id);

  void RedrawItem(CUxWindow& control, bool only_if_visible);
  void AddLayoutListener(IUxLayoutListener* listener) { m_listeners.push_back(listener); }
  void RemoveLayoutListener(IUxLayoutListener* listener);
  void LayoutAll();
  // The window went to a monitor of another DPI (WM_DPICHANGED): the
  // framework scales at the new factor and the layout is placed anew.
  void ApplyNewDpi(int dpi);
  // Paints what is dirty into the off-screen bitmap and copies it out
  // (`print_dc` set: into that DC, as WM_PRINT asks).
  void PaintAndOutput(HDC paint_dc, HDC print_dc);
  // The off-screen bitmap (null before the first WM_SIZE).
  const GdiImage* OffscreenBitmap() const noexcept { return m_bitmap.get(); }
  void SetBorderPaint(bool on) noexcept { m_border_paint = on; }
  void SetWindowAlpha(BYTE alpha) noexcept { m_window_alpha = alpha; }
  BYTE WindowAlpha() const noexcept { return m_window_alpha; }

  // The keyboard: which control holds the focus (0: none, or the window
  // itself), Tab's move through the order, and what Space and Enter do.
  UxHandle KeyboardFocus() const override;
  void SetKeyboardFocus(UxHandle handle);
  void MoveKeyboardFocus(bool forward);

  // IUxAccessibleHost.
  HWND AccessibleWindow() const override { return m_hwnd; }
  std::vector<AccessibleElement> AccessibleSnapshot() override;
  std::optional<AccessibleElement> AccessibleElementFor(UxHandle handle) override;
  UxHandle AccessibleHitTest(int x, int y) override;
  void RequestActivation(UxHandle handle) override;
  void RequestKeyboardFocus(UxHandle handle) override;

  // IUxContainer.
  void* HostWindow() const override { return m_hwnd; }
  bool HostWindowAlive() const override { return m_hwnd && ::IsWindow(m_hwnd); }
  int HostControlId() const override { return m_hwnd ? ::GetDlgCtrlID(m_hwnd) : 0; }
  intptr_t SendNotice(uintptr_t wparam, UxNotice& notice) override;
  void PlaceRealWindow(int id, const UxRect& rect) override;
  void ShowRealWindow(int id, bool show) override;
  void Invalidate(const UxRect& rect) override;
  intptr_t SendNoticeToParent(uintptr_t wparam, UxNotice& notice) override;
  void RegisterAnimation(IUxAnimationHandler* handler) override;
  // The window is going: its animated nodes stop and the timeline goes.
  void DiscardTimeline();
  void UnregisterAnimation(IUxAnimationHandler* handler) override;
  // Runs one tick of the animation timeline now (the renderer's clock).
  void TickAnimations();
  CUxAnimationTimelineManager* Timeline() const noexcept { return m_timeline.get(); }

  // IUxPointerHost (the real window's side of routing).
  void CapturePointer() override { ::SetCapture(m_hwnd); }
  void ReleasePointer() override { ::ReleaseCapture(); }
  void TrackPointerLeave() override;
  void FocusWindow() override { ::SetFocus(m_hwnd); }
  void StartWindowMove() override;
  void StartResize(int hit_code) override;
  void ToggleMaximized() override;
  bool IsMinimized() const override { return ::IsIconic(NoticeTarget()) != FALSE; }
  bool IsChildWindow() const override { return (::GetWindowLongW(m_hwnd, GWL_STYLE) & WS_CHILD) != 0; }
  void OpenLink(std::wstring_view href) override;
  void Notify(uint32_t code, int ctrl_id, const char* tag) override;
  void SetTooltipText(std::wstring_view text) override;
  void Repaint(const UxRect& rect) override { Invalidate(rect); }
  int LastHitCode() const override { return m_last_hit; }

 protected:
  // Handles the messages every host view handles; false for the others.
  bool HandleViewMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // Attaches the layout to the new window: host interface, tooltip, real windows.
  void AttachToWindow();
  void EnsureTooltip();
  void OnSize();
  // WM_PRINT with PRF_CHILDREN: the real child windows (edit boxes) over the
  // framework's pixels, as on screen.
  void PrintChildWindows(HDC dc);
  bool IsLayered() const { return (::GetWindowLongW(m_hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }
  // The window is going: screen readers holding its object are let go.
  void DetachAccessibility();
  // The window that moves, sizes and receives notifications.
  virtual HWND NoticeTarget() const { return m_hwnd; }
  // Hooks of the paint pipeline.
  virtual void PaintOverlay(GdiCanvas& /*canvas*/) {}
  virtual void BeforeOutput(GdiImage& /*bitmap*/) {}
  virtual void Output(HDC paint_dc, HDC memory_dc);

  int m_layout_id;
  HostForm m_form;
  CUxControlCreator m_creator;
  UxLayout m_layout;
  UxPointerRouter m_router;
  // Declared before the DC so that the DC lets go of it first.
  std::shared_ptr<GdiImage> m_bitmap;
  MemoryDc m_memory_dc;
  tw::win::UniqueRegion m_dirty_region;
  bool m_dirty = true;
  bool m_full_repaint = true;
  HWND m_tooltip = nullptr;
  int m_last_hit = 1;
  bool m_border_paint = true;
  BYTE m_window_alpha = 255;
  std::vector<IUxLayoutListener*> m_listeners;
  std::shared_ptr<CUxAnimationTimelineManager> m_timeline;

 private:
  // Keys, focus and the accessible object's messages; false for the others.
  bool HandleKeyboardAndAccessMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  bool OnKeyDown(WPARAM key);
  void InvalidateFocusCue(UxHandle handle);
  // EVENT_OBJECT_* for the element a by-id change touched.
  void AnnounceControlChange(int id, DWORD event);
  void PaintFocusCueIfShown(GdiCanvas& canvas);
  // The control the keyboard is on: the windowless one that holds the
  // focus, or the placeholder of the real child window that has it.
  UxHandle KeyboardPosition() const;
  UxRect ClientArea() const;

  UxHandle m_keyboard_focus = 0;
  // Made on the first WM_GETOBJECT; COM must be up on this thread for it.
  std::optional<tw::win::ComApartment> m_com;
  tw::win::ComPtr<IAccessible> m_accessible;
};

}  // namespace tw::ux::win
