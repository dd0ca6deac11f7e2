// CUxWindow: every windowless control. It owns a rectangle inside its host
// window, draws into the host's off-screen canvas and receives the mouse
// messages the host routes to it. Layout state (Part of every control):
// command id, inner text, `pos`, size modes, float, rectangle, state bits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/drawing/canvas.h"
#include "ui/base/handle_registry.h"
#include "ui/controls/host_interface.h"
#include "ui/base/position.h"
#include "ui/drawing/style.h"
#include "ui/base/ux_object.h"

namespace tw::ux {

enum class SizeMode { kNone, kContent, kFixed, kFull };

class CUxPanel;

// Called just before (flag 1) and after (flag 0) a control paints.
class IUxWindowPaintHook {
 public:
  virtual ~IUxWindowPaintHook() = default;
  virtual void OnControlPaint(class CUxWindow& control, IUxCanvas& canvas, int flag) = 0;
};

// Receives (message, control, rectangle, point) for the pointer messages.
class IUxWindowEventHook {
 public:
  virtual ~IUxWindowEventHook() = default;
  virtual void OnControlEvent(uint32_t message, class CUxWindow& control, const UxRect& rect, UxPoint point) = 0;
};

// WM_WINDOWPOSCHANGED carries where the parent put the control.
struct UxPlacement {
  int left = 0;
  int top = 0;
  int available_width = 0;
  int available_height = 0;
};

// WM_NCCALCSIZE asks the content size.
struct UxMeasure {
  bool has_available = false;
  int available_width = 0;
  int available_height = 0;
  UxSize result;
};

class IUxAnimationHandler {
 public:
  virtual ~IUxAnimationHandler() = default;
  virtual void OnAnimationTick() = 0;
};

class CUxWindow : public CUxObject {
 public:
  CUxWindow();
  ~CUxWindow() override;

  // Loading: inner text with "%str" tokens, attributes, `show`, size modes.
  bool Load(const tinyxml2::XMLElement& element) override;
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

  // Slots after CUxObject's, in their order.
  virtual void StartAnimation();
  virtual void StopAnimation();
  virtual void RequestRepaint(const UxRect& rect);
  virtual void OnHookOne(intptr_t) {}
  virtual std::wstring_view TooltipText() const { return m_tip; }
  virtual int AcceptsHeaderPress() const { return m_head_accept; }
  virtual void OnHookThree(intptr_t, intptr_t, intptr_t) {}
  virtual UxStyle::Cursor ChooseCursor() const;
  virtual void ChangeStateBits(uint32_t add, uint32_t remove);
  // Stops and lets go of the current animation, keeps a share of the new one
  // and puts it on the host's timeline.
  virtual void SetAnimation(std::shared_ptr<IUxAnimationHandler> animation);
  virtual void AttachHost(IUxContainer* host);
  virtual UxHandle HitTest(int x, int y, int flag) const;
  virtual bool RepaintsOnStateChange() const;
  virtual bool IsPanel() const { return false; }
  virtual void PaintInRegion(IUxCanvas& canvas);
  virtual void PaintBackground(IUxCanvas& canvas);
  virtual int HookReturningZeroA() { return 0; }
  virtual int HookReturningZeroB() { return 0; }
  virtual intptr_t HandleUxMessage(uint32_t message, uintptr_t wparam, intptr_t lparam, bool& handled);
  // The DPI factor changed: positions are read again from their `pos` text
  // at the new factor (a container does so for its whole subtree).
  virtual void RescaleForDpi();

  // Clears the handled flag, runs HandleUxMessage, returns its result.
  intptr_t DeliverUxMessage(uint32_t message, uintptr_t wparam = 0, intptr_t lparam = 0);

  // The size rule: 4-item `pos` against the available size, else content.
  UxSize MeasureContent(const UxMeasure& request);
  // The content part only (text measure by default).
  virtual UxSize ContentSize(const UxMeasure& request);

  UxHandle Handle() const noexcept { return m_handle; }
  UxHandle ParentHandle() const noexcept { return m_parent; }
  CUxWindow* Parent() const;
  void SetParentHandle(UxHandle parent, bool dpi_aware);
  IUxContainer* Host() const noexcept { return m_host; }
  int Id() const noexcept { return m_id; }
  const std::wstring& Text() const noexcept { return m_text; }
  void SetText(std::wstring text) { m_text = std::move(text); }
  const UxRect& Rect() const noexcept { return m_rect; }
  void SetRect(const UxRect& rect) noexcept { m_rect = rect; }
  const ParsedPosition& Position() const noexcept { return m_pos; }
  SizeMode WidthMode() const noexcept { return m_width_mode; }
  SizeMode HeightMode() const noexcept { return m_height_mode; }
  bool IsFloat() const noexcept { return m_float; }
  bool IsTransparent() const noexcept { return m_transparent; }
  bool DpiAware() const noexcept { return m_dpi_aware; }
  void SetDpiAware(bool aware) noexcept { m_dpi_aware = aware; }
  uint32_t State() const noexcept { return m_state; }
  bool IsVisible(bool check_parents) const;
  bool IsDisabled(bool check_parents) const;
  const std::wstring& Href() const noexcept { return m_href; }
  // What assistive technology calls the control when it has no text or tip
  // (the `name` attribute, "%str" tokens expanded).
  const std::wstring& AccessibleNameAttribute() const noexcept { return m_accessible_name; }
  // The keyboard order key (`tabindex`; absent is 0).
  int TabIndex() const noexcept { return m_tab_index; }
  int UserData() const noexcept { return m_userdata; }
  const std::string& StyleName() const noexcept { return m_class; }
  const UxStyle& Style() const;
  UxFontChoice Font() const;
  // Opacity as the product of the control's and the animation's bytes.
  int Opacity() const noexcept { return m_alpha * m_anim_alpha / 255; }
  void SetOpacity(int alpha) noexcept { m_alpha = alpha; }
  void SetAnimationOpacity(int alpha) noexcept { m_anim_alpha = alpha; }
  int ControlAlphaText() const noexcept { return m_alphatxt; }
  UxColour OwnBackground() const noexcept { return m_crbg; }
  UxColour OwnTextColour() const noexcept { return m_crtext; }
  uint32_t Alignment() const noexcept { return m_valign | m_align; }
  bool HasBorder() const noexcept { return m_border != 0; }
  bool CorrectDrawBg() const noexcept { return m_correctdrawbg != 0; }
  bool AutoFixTextRect() const noexcept { return m_autofixtextrect != 0; }
  bool ForceUpdateStyle() const noexcept { return m_forceupdatestyle != 0; }
  void SetPaintHook(IUxWindowPaintHook* hook) noexcept { m_paint_hook = hook; }
  void SetEventHook(IUxWindowEventHook* hook) noexcept { m_event_hook = hook; }
  bool IsAnimating() const noexcept { return m_animating; }
  IUxAnimationHandler* Animation() const noexcept { return m_animation.get(); }

  // The state index a skin is given for this control's background.
  int BackgroundStateIndex() const;
  // The background colour by state (control's, else style's; hover colour).
  UxColour BackgroundColour() const;
  // Draws the inner text with the style's rules.
  void DrawInnerText(IUxCanvas& canvas);
  // Sends a WM_NOTIFY built by the caller to the host window.
  void NotifyHost(UxNotice& notice, uintptr_t wparam);

 protected:
  // Steps of placing: the rectangle from the measured size and the modes.
  virtual void OnPlaced(const UxPlacement& placement);
  // The parent's LayoutChild for a run-time `pos`.
  void AskParentToPlace();
  void SendControlPointerReport(int sub_code);

  UxHandle m_handle = 0;
  UxHandle m_parent = 0;
  IUxContainer* m_host = nullptr;
  bool m_dpi_aware = false;
  bool m_loading = false;

  int m_id = 0;
  std::wstring m_text;
  ParsedPosition m_pos;
  std::string m_pos_source;  // `pos` as written, for a new DPI factor
  SizeMode m_width_mode = SizeMode::kNone;
  SizeMode m_height_mode = SizeMode::kNone;
  int m_fixed_width = 0;
  int m_fixed_height = 0;
  bool m_float = false;
  UxRect m_rect;
  uint32_t m_state = 0;

  std::string m_class;
  int m_alphatxt = -1;
  UxColour m_crbg = kNoColour;
  UxColour m_crtext = kNoColour;
  uint16_t m_font = 0;
  std::wstring m_href;
  std::wstring m_tip;
  std::wstring m_accessible_name;
  int m_tab_index = 0;
  uint32_t m_valign = 0;
  uint32_t m_align = 0;
  bool m_transparent = false;
  int m_head_accept = 0;
  int m_userdata = 0;
  int m_notify = 0;
  int m_forceupdatestyle = 0;
  int m_autofixtextrect = 1;
  int m_border = 0;
  int m_correctdrawbg = 0;

  int m_alpha = 255;
  int m_anim_alpha = 255;
  bool m_animating = false;
  std::shared_ptr<IUxAnimationHandler> m_animation;
  IUxWindowPaintHook* m_paint_hook = nullptr;
  IUxWindowEventHook* m_event_hook = nullptr;
  uint32_t m_cached_format = 0;
  bool m_format_taken = false;
};

}  // namespace tw::ux
