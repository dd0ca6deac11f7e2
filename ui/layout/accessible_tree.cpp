#include "ui/layout/accessible_tree.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "ui/layout/focus_order.h"
#include "ui/controls/image_controls.h"
#include "ui/controls/progress.h"

namespace tw::ux {

namespace {

// Default actions in the words of the installer's language.
constexpr wchar_t kPress[] = L"按下";
constexpr wchar_t kJump[] = L"跳转";
constexpr wchar_t kCheck[] = L"选中";
constexpr wchar_t kUncheck[] = L"取消选中";

bool OneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

bool IsBlank(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; });
}

void AppendInnerTexts(const CUxWindow& control, std::wstring& out) {
  if (!control.IsVisible(false)) return;
  if (!IsBlank(control.Text())) {
    if (!out.empty()) out += L' ';
    out += control.Text();
  }
  if (!control.IsPanel()) return;
  for (const auto& child : static_cast<const CUxPanel&>(control).Children()) AppendInnerTexts(*child, out);
}

std::optional<AccessibleRole> RoleOf(const CUxWindow& control) {
  const std::string_view tag = control.TagName();
  if (!control.Href().empty() || tag == "link") return AccessibleRole::kLink;
  if (OneOf(tag, {"check"})) return AccessibleRole::kCheckButton;
  if (OneOf(tag, {"radio", "imgradio"})) return AccessibleRole::kRadioButton;
  if (OneOf(tag, {"button", "imgbtn", "dlgbtn", "dlgbtnEx2", "skinbtn", "imgbtnsized"})) {
    // An image button of a group is checked and unchecked by clicks.
    if (const auto* image = dynamic_cast<const CUxImageBtnWnd*>(&control); image && !image->Group().empty()) {
      return AccessibleRole::kCheckButton;
    }
    return AccessibleRole::kPushButton;
  }
  if (OneOf(tag, {"progress", "progressex"})) return AccessibleRole::kProgressBar;
  if (OneOf(tag, {"text", "richtext", "richtextex", "richtext2"})) return AccessibleRole::kStaticText;
  if (tag == "img") return AccessibleRole::kGraphic;
  return std::nullopt;
}

void CollectElements(const CUxWindow& control, UxHandle focused, const UxRect& client,
                     std::vector<AccessibleElement>& out) {
  if (!control.IsVisible(false)) return;
  if (std::optional<AccessibleElement> element = DescribeControl(control, focused)) {
    if (!element->rect.Intersects(client)) return;
    out.push_back(std::move(*element));
    // A button's caption and pictures are its name, not elements of their own.
    if (element->role != AccessibleRole::kStaticText) return;
  }
  if (!control.IsPanel()) return;
  for (const auto& child : static_cast<const CUxPanel&>(control).Children()) {
    CollectElements(*child, focused, client, out);
  }
}

}  // namespace

std::wstring AccessibleName(const CUxWindow& control) {
  std::wstring name;
  AppendInnerTexts(control, name);
  if (name.empty() && !IsBlank(std::wstring(control.TooltipText()))) name = control.TooltipText();
  if (name.empty()) name = control.AccessibleNameAttribute();
  return name;
}

std::optional<AccessibleElement> DescribeControl(const CUxWindow& control, UxHandle focused) {
  AccessibleElement element;
  element.handle = control.Handle();
  element.rect = control.Rect();
  element.invisible = !control.IsVisible(true);
  element.unavailable = control.IsDisabled(true);
  element.focused = control.Handle() == focused && focused != 0;
  if (IsRealWindowPlaceholder(control)) {
    element.real_window_id = control.Id();
    element.focusable = true;
    return element;
  }
  const std::optional<AccessibleRole> role = RoleOf(control);
  if (!role) return std::nullopt;
  element.role = *role;
  element.name = AccessibleName(control);
  switch (*role) {
    case AccessibleRole::kStaticText:
      if (element.name.empty()) return std::nullopt;
      break;
    case AccessibleRole::kGraphic:
      // Only pictures somebody named say something; the rest is decoration.
      if (element.name.empty()) return std::nullopt;
      break;
    case AccessibleRole::kProgressBar:
      if (const auto* progress = dynamic_cast<const CUxProgress*>(&control)) {
        element.value = ProgressPercentText(progress->Range());
      }
      break;
    case AccessibleRole::kLink:
      element.focusable = true;
      element.default_action = kJump;
      break;
    case AccessibleRole::kCheckButton:
    case AccessibleRole::kRadioButton:
      element.focusable = true;
      element.checked = (control.State() & kStateChecked) != 0;
      element.default_action = element.checked ? kUncheck : kCheck;
      break;
    case AccessibleRole::kPushButton:
      element.focusable = true;
      element.default_action = kPress;
      break;
  }
  return element;
}

std::vector<AccessibleElement> AccessibleElements(UxLayout& layout, UxHandle focused, const UxRect& client) {
  std::vector<AccessibleElement> elements;
  layout.ForEachLoadedSection([&](CUxDialog& section) { CollectElements(section, focused, client, elements); });
  return elements;
}

}  // namespace tw::ux
