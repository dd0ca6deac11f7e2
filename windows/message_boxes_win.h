// The installer's two skinned message boxes: TwNewMsgbox (layout 11003,
// with an icon choice and button classes) and TwLiteMsgbox (layout 11004,
// the fixed alert icon). Both are framed dialogs that zoom open and shut
// and return which button closed them.
#pragma once

#include <windows.h>

#include <string>

#include "ui/hosts/framed_dialog_win.h"
#include "windows/message_box_rules.h"
#include "windows/window_animator_win.h"

namespace tw {

struct MsgboxParams {
  std::wstring text;
  std::wstring title;
  std::wstring left_label;
  std::wstring right_label;
  int flags = 0;
  int icon_kind = 0;
  std::wstring check_text;
  int check_state = 0;
  int animation_kind = 0;
  // TwNewMsgbox: classes of the left button, right button, left label, right label.
  std::wstring classes[4];
};

struct MsgboxIds {
  int close, icon, line1, line2, left_button, left_label, right_button, right_label, first_link, second_link, check,
      title;
};

class TwMsgboxBase : public ux::win::CUxDialogImpl, private ux::win::IShadowPaintHook {
 public:
  static constexpr UINT kShowAnimated = WM_USER + 101;  // 1125

  TwMsgboxBase(int layout_id, const MsgboxIds& ids, MsgboxParams params);
  TwWindowAnimator& Animator() noexcept { return m_animator; }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) override;
  virtual void ApplyTitle() = 0;
  // The first line's `pos` for two lines, and the lines' for a non-YaHei face.
  virtual const char* TwoLinePosition() const = 0;
  virtual void AdjustForFace() {}
  virtual void ApplyClasses() {}

  const MsgboxIds m_ids;
  const MsgboxParams m_params;

 private:
  void Initialise();
  void Close(BoxCloser closer);
  bool PaintShadow(ux::win::GdiImage& bitmap, int shadow_size) override;

  TwWindowAnimator m_animator;
  BoxControls m_controls;
  bool m_closing = false;
};

class TwNewMsgbox : public TwMsgboxBase {
 public:
  explicit TwNewMsgbox(MsgboxParams params);

 protected:
  void ApplyTitle() override;
  const char* TwoLinePosition() const override { return "96,60,-20,79"; }
  void ApplyClasses() override;
};

class TwLiteMsgbox : public TwMsgboxBase {
 public:
  explicit TwLiteMsgbox(MsgboxParams params);

 protected:
  void ApplyTitle() override;
  const char* TwoLinePosition() const override;
  void AdjustForFace() override;
};

int ShowNewMsgbox(HWND parent, const std::wstring& text, const std::wstring& title, const std::wstring& left_label,
                  const std::wstring& right_label, int flags, int icon_kind, const std::wstring& check_text,
                  int check_state, const std::wstring& left_class, const std::wstring& right_class,
                  const std::wstring& left_label_class, const std::wstring& right_label_class);
int ShowLiteMsgbox(HWND parent, const std::wstring& text, const std::wstring& title, const std::wstring& left_label,
                   const std::wstring& right_label, int flags, const std::wstring& check_text, int check_state,
                   int animation_kind);

// The reboot notice: TwNewMsgbox with the "i" icon and one "我知道了" button.
void ShowRebootNotice(HWND parent);

}  // namespace tw
