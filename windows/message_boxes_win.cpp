#include "windows/message_boxes_win.h"

#include "platform/utf8.h"
#include "ui/drawing/style.h"

namespace tw {

namespace {

const MsgboxIds kNewIds{1000, 1002, 1003, 1004, 1008, 1009, 1010, 1011, 1006, 1007, 1005, 1001};
const MsgboxIds kLiteIds{100, 102, 103, 104, 108, 111, 110, 112, 106, 107, 105, 101};

std::string Narrow(const std::wstring& text) { return Utf16ToUtf8(text); }

}  // namespace

TwMsgboxBase::TwMsgboxBase(int layout_id, const MsgboxIds& ids, MsgboxParams params)
    : CUxDialogImpl(layout_id), m_ids(ids), m_params(std::move(params)) {
  SetShowOnStart(false);  // the opening animation shows the box
  SetShadowPaintHook(this);
}

void TwMsgboxBase::Initialise() {
  ux::win::CUxDialogView& view = View();
  ApplyTitle();
  (void)m_animator.SetKinds(0, 0);
  AdjustForFace();
  const MessageLines lines = SplitMessageText(m_params.text);
  view.SetControlText(m_ids.line1, lines.first);
  if (lines.two_lines) {
    view.SetControlText(m_ids.line2, lines.second);
    view.ShowControl(m_ids.line2, true);
    view.SetControlAttribute(m_ids.line1, "pos", TwoLinePosition());
  }
  m_controls = ControlsForFlags(m_params.flags);
  if (m_controls.left_button) {
    view.ShowControl(m_ids.left_button, true);
    if (!m_params.left_label.empty()) view.SetControlText(m_ids.left_label, m_params.left_label);
  } else if (m_controls.first_link) {
    view.ShowControl(m_ids.first_link, true);
    view.SetControlText(m_ids.first_link, m_params.left_label);
  }
  if (m_controls.right_button) {
    view.ShowControl(m_ids.right_button, true);
    if (!m_params.right_label.empty()) view.SetControlText(m_ids.right_label, m_params.right_label);
  } else if (m_controls.second_link) {
    view.ShowControl(m_ids.second_link, true);
    view.SetControlText(m_ids.second_link, m_params.right_label);
  }
  if (m_controls.check) {
    view.ShowControl(m_ids.check, true);
    view.SetControlText(m_ids.check, m_params.check_text);
    view.SetControlChecked(m_ids.check, m_params.check_state != 0);
  }
  ApplyClasses();
  ::PostMessageW(m_hwnd, kShowAnimated, 0, 0);
}

void TwMsgboxBase::Close(BoxCloser closer) {
  if (m_closing) return;
  m_closing = true;
  const bool checked = View().IsControlChecked(m_ids.check);
  const int result = BoxResult(closer, m_controls.check, checked);
  SetPendingResult(result);
  // The animator ends the run with 1027 when the box has shrunk away.
  if (!m_animator.Start(m_hwnd, TwWindowAnimator::kClose)) EndDialog(result);
}

LRESULT TwMsgboxBase::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, bool& handled) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise();
      handled = true;
      return TRUE;
    case kShowAnimated:
      if (!m_animator.Start(m_hwnd, TwWindowAnimator::kOpen)) ::PostMessageW(m_hwnd, kShowFrame, 0, 0);
      handled = true;
      return 0;
    case WM_NOTIFY: {
      if (wparam != ux::kFramedViewId) return 0;
      const auto* notice = reinterpret_cast<const ux::UxNotice*>(lparam);
      handled = true;
      if (notice->code != ux::UXN_CLICK) return 0;
      const int id = notice->ctrlId;
      // Escape and the close command (2) dismiss like the close button;
      // Enter (1) means the right button when it is there.
      if (id == m_ids.close || id == IDCANCEL) Close(BoxCloser::kClose);
      else if (id == m_ids.left_button && m_controls.left_button) Close(BoxCloser::kLeft);
      else if ((id == m_ids.right_button && m_controls.right_button) || (id == IDOK && m_controls.right_button)) {
        Close(BoxCloser::kRight);
      } else if (id == m_ids.first_link && m_controls.first_link) Close(BoxCloser::kFirstLink);
      else if (id == m_ids.second_link && m_controls.second_link) Close(BoxCloser::kSecondLink);
      return 0;
    }
    default: return 0;
  }
}

bool TwMsgboxBase::PaintShadow(ux::win::GdiImage& bitmap, int shadow_size) {
  // A soft dark rim that fades outward; the box itself covers the middle.
  const int w = bitmap.Width(), h = bitmap.Height();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int distance = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
      if (distance >= shadow_size) continue;
      const uint32_t alpha = static_cast<uint32_t>(12 + distance * 14);
      bitmap.Bits()[static_cast<size_t>(y) * w + x] = alpha << 24;
    }
  }
  return true;
}

TwNewMsgbox::TwNewMsgbox(MsgboxParams params) : TwMsgboxBase(11003, kNewIds, std::move(params)) {}

void TwNewMsgbox::ApplyTitle() {
  View().SetControlText(m_ids.title, m_params.title);  // 11003 has no title element: no effect
  View().SetControlAttribute(m_ids.icon, "skin", NewBoxIconSkin(m_params.icon_kind));
}

void TwNewMsgbox::ApplyClasses() {
  const int targets[4] = {m_ids.left_button, m_ids.right_button, m_ids.left_label, m_ids.right_label};
  for (int i = 0; i < 4; ++i) {
    if (!m_params.classes[i].empty()) View().SetControlAttribute(targets[i], "class", Narrow(m_params.classes[i]));
  }
}

TwLiteMsgbox::TwLiteMsgbox(MsgboxParams params) : TwMsgboxBase(11004, kLiteIds, std::move(params)) {}

void TwLiteMsgbox::ApplyTitle() {
  ::SetWindowTextW(m_hwnd, m_params.title.empty() ? L"Tarnwick Zorn" : m_params.title.c_str());
}

const char* TwLiteMsgbox::TwoLinePosition() const {
  return ux::UxBaseFont::Instance().IsYaHei() ? "96,55,-20,80" : "96,49,-20,74";
}

void TwLiteMsgbox::AdjustForFace() {
  if (ux::UxBaseFont::Instance().IsYaHei()) return;
  View().SetControlAttribute(m_ids.line1, "pos", "96,60,-20,79");
  View().SetControlAttribute(m_ids.line2, "pos", "96,87,-20,106");
}

int ShowNewMsgbox(HWND parent, const std::wstring& text, const std::wstring& title, const std::wstring& left_label,
                  const std::wstring& right_label, int flags, int icon_kind, const std::wstring& check_text,
                  int check_state, const std::wstring& left_class, const std::wstring& right_class,
                  const std::wstring& left_label_class, const std::wstring& right_label_class) {
  MsgboxParams params{
      text,      title,      left_label,  right_label, flags,
      icon_kind, check_text, check_state, 0,           {left_class, right_class, left_label_class, right_label_class}};
  TwNewMsgbox box(std::move(params));
  return static_cast<int>(box.DoModal(parent));
}

int ShowLiteMsgbox(HWND parent, const std::wstring& text, const std::wstring& title, const std::wstring& left_label,
                   const std::wstring& right_label, int flags, const std::wstring& check_text, int check_state,
                   int animation_kind) {
  MsgboxParams params{text, title, left_label, right_label, flags, 0, check_text, check_state, animation_kind, {}};
  TwLiteMsgbox box(std::move(params));
  return static_cast<int>(box.DoModal(parent));
}

namespace {
constexpr const wchar_t* kRebootNotice =
    L"您安装Tarnwick Zorn后尚未重新启动系统，重启后\n即可享受Tarnwick Zorn的全面保护！";
constexpr const wchar_t* kRebootNoticeButton = L"我知道了";
}  // namespace

void ShowRebootNotice(HWND parent) {
  ShowNewMsgbox(parent, kRebootNotice, L"", L"", kRebootNoticeButton, kBoxRightButton, 2, L"", 0,
                L"common_dlg_btn_cancel", L"common_dlg_btn_ok", L"common_dlg_btn_cancel_text",
                L"common_dlg_btn_ok_text");
}

}  // namespace tw
