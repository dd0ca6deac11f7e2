#include "ui/controls/control_factory.h"

#include "ui/controls/animate_node.h"
#include "ui/controls/catalogue.h"
#include "ui/controls/dialog_buttons.h"
#include "ui/controls/image_controls.h"
#include "ui/controls/progress.h"
#include "ui/controls/real_window.h"
#include "ui/controls/rich_text.h"
#include "ui/controls/static_text.h"

namespace tw::ux {

namespace {

using Maker = std::unique_ptr<CUxWindow> (*)(std::string_view tag);

template <typename T>
std::unique_ptr<CUxWindow> Make(std::string_view) {
  return std::make_unique<T>();
}
std::unique_ptr<CUxWindow> FromCatalogue(std::string_view tag) { return CreateCatalogueControl(tag); }

struct TagEntry {
  std::string_view tag;
  Maker make;
};

// The order in which containers try the built-in tags.
constexpr TagEntry kBuiltin[] = {
    {"dlg", Make<CUxDialog>},         {"text", Make<CUxStatic>},
    {"button", FromCatalogue},        {"img", Make<CUxImageWnd>},
    {"imgbg", FromCatalogue},         {"scrollimg", FromCatalogue},
    {"progress", Make<CUxProgress>},  {"progressex", Make<CUxProgressEx>},
    {"imgbtn", Make<CUxImageBtnWnd>}, {"lineargradient", FromCatalogue},
    {"skinbtn", FromCatalogue},       {"realwnd", Make<CUxRealWnd>},
    {"realwnd2", Make<CUxRealWnd2>},  {"hr", FromCatalogue},
    {"check", FromCatalogue},         {"icon", FromCatalogue},
    {"tabctrl", FromCatalogue},       {"radio", FromCatalogue},
    {"customradio", FromCatalogue},   {"richtext", Make<CUxRichText>},
    {"link", Make<CUxLink>},          {"memimage", FromCatalogue},
    {"storageimage", FromCatalogue},  {"storageimageex", FromCatalogue},
    {"imgbtnsized", FromCatalogue},   {"imggray", FromCatalogue},
    {"imgex", FromCatalogue},         {"imgrotale", FromCatalogue},
    {"slider", FromCatalogue},        {"dlgbtn", Make<CUxDialogButton>},
    {"hicon", FromCatalogue},
};

// The order in which the top-level host's creator tries its tags.
constexpr TagEntry kCreator[] = {
    {"listwnd", FromCatalogue},        {"scrolldlg", FromCatalogue},      {"listitem", FromCatalogue},
    {"rundrect", FromCatalogue},       {"rundrectpath", FromCatalogue},   {"expendimg", FromCatalogue},
    {"realwndex", Make<CUxRealWndEx>}, {"shadowtext", FromCatalogue},     {"richtextex", Make<CUxRichTextEx>},
    {"imgex2", FromCatalogue},         {"hrex", FromCatalogue},           {"listscrollbar", FromCatalogue},
    {"scrollbar", FromCatalogue},      {"dlgbtnEx2", Make<CUxDlgBtnEx2>}, {"richtext2", Make<CUxRichText2Wnd>},
    {"lineviewex", FromCatalogue},     {"pagitem", Make<CUxPagItem>},     {"animate", Make<CUXAnimateNode>},
    {"ownereventdlg", FromCatalogue},  {"sliderviewex", FromCatalogue},   {"lineargradient", FromCatalogue},
};

template <size_t N>
std::unique_ptr<CUxWindow> CreateFrom(const TagEntry (&table)[N], std::string_view tag) {
  for (const TagEntry& entry : table) {
    if (entry.tag == tag) return entry.make(tag);
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<CUxWindow> CreateBuiltinControl(std::string_view tag) { return CreateFrom(kBuiltin, tag); }

std::unique_ptr<CUxWindow> CUxControlCreator::CreateControl(std::string_view tag) {
  if (auto control = CreateFrom(kCreator, tag)) return control;
  return m_next ? m_next->CreateControl(tag) : nullptr;
}

}  // namespace tw::ux
