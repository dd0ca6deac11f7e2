#include "ui/controls/catalogue.h"

namespace tw::ux {

namespace {

const CatalogueEntry kCatalogue[] = {
    {"button", "CUxButton", "", false, true},
    {"imgbg", "CUxImageBg", "skin fill cx cy"},
    {"scrollimg", "CUxImageScroll", "skin hscroll vscroll cx cy hpos vpos"},
    {"lineargradient", "LinearGradientCtrl", "startcolor stopcolor alpha angle"},
    {"skinbtn", "CUxSkinBtnWnd", "skin", false, true},
    {"hr", "CUxLine", "size style"},
    {"hrex", "CUxLineEx", "size style"},
    {"check", "CUxCheckBox", "check skin skin_check checkbox_size checkbox_sizeH text_spacing unique_id", false, true},
    {"icon", "CUxIconWnd", "size oem"},
    {"tabctrl", "CUxTabCtrl",
     "cursel tabwidth tabheight tabpos tabspacing vertfont tabskin frameskin iconskin splitterskin framepos icon-x "
     "icon-y text-x text-y tabtext Selfont tabalign",
     true},
    {"tab", "CUxTab", "title hide", true},
    {"radio", "CUxRadioBox", "check group skin skin_check radiobox_size text_spacing", false, true},
    {"customradio", "CUxSelfDefineRadioBox", "check group skin skin_check radiobox_size text_spacing", false, true},
    {"memimage", "CUxMemoryImage", "mempointer"},
    {"storageimage", "CUxStorageImage", "filepath subwidth sub"},
    {"storageimageex", "CUxStorageImageEx", "filepath subwidth sub alpha"},
    {"imgbtnsized", "CUxImgbtnsized", "skin skinmid left"},
    {"imggray", "CUxImgGray", "skin gray"},
    {"imgex", "CUxImageEx", "skin sub alpha"},
    {"imgex2", "CUxImageEx2", "skin sub alpha stretch topdraw"},
    {"imgrotale", "CUxImageRotale", "skin sub angle"},
    {"slider", "UxSlider", "sliderpos skinbg skin bgleftmargin bgrightmargin bgtopmargin bgbottommargin"},
    {"hicon", "CUxHIcon", "handle autodel"},
    {"listwnd", "CUxListWnd", "scrollclass externline wheelmove", true},
    {"scrolldlg", "CUXScrollDlg", "height", true},
    {"listitem", "CUxListItem", "height viewvisible", true},
    {"rundrect", "CUxRoundRect", "rndwidht rndheight"},
    {"rundrectpath", "CUxRoundRectPath", "rndwidht rndheight bdrawbg crline crlinealpha linesize"},
    {"expendimg", "CUxExpendImg", "skin skinalpha margin_left margin_right margin_top margin_bottom stretch"},
    {"shadowtext", "CUXShadowText", "hovershadow normalshadow crshadowalpha crshaow"},
    {"listscrollbar", "CUxWindowScollBar",
     "color_bar color_bar_hv color_bar_border rectanglebar barwidth permanent_hide"},
    {"scrollbar", "CUxScrollBar", "color_bar color_bar_hv color_bar_border rectanglebar barwidth permanent_hide"},
    {"lineviewex", "CUxLineViewEx", "dashstyle linecolor vertical startcap endcap hover_linecolor push_linecolor"},
    {"ownereventdlg", "CUxOwnerEventDlg", "", true},
    {"sliderviewex", "CUxSliderViewEx", "current_value max_value step_value enable_mousewhell", true},
};

bool ListsName(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const size_t blank = list.find(' ');
    if (list.substr(0, blank) == name) return true;
    if (blank == std::string_view::npos) break;
    list.remove_prefix(blank + 1);
  }
  return false;
}

int Keep(const CatalogueEntry& entry, std::map<std::string, std::string, std::less<>>& values, std::string_view name,
         std::string_view value) {
  if (!ListsName(entry.attributes, name)) return kAttrUnknown;
  values[std::string(name)] = std::string(value);
  return kAttrChanged;
}

const std::string* Find(const std::map<std::string, std::string, std::less<>>& values, std::string_view name) {
  auto found = values.find(name);
  return found == values.end() ? nullptr : &found->second;
}

}  // namespace

const CatalogueEntry* FindCatalogueEntry(std::string_view tag) {
  for (const CatalogueEntry& entry : kCatalogue) {
    if (entry.tag == tag) return &entry;
  }
  return nullptr;
}

int CUxCatalogueControl::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxWindow::ApplyAttribute(name, value, loading);
  return result != kAttrUnknown ? result : Keep(m_entry, m_values, name, value);
}

const std::string* CUxCatalogueControl::Attribute(std::string_view name) const { return Find(m_values, name); }

int CUxCatalogueDialog::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
  const int result = CUxDialog::ApplyAttribute(name, value, loading);
  return result != kAttrUnknown ? result : Keep(m_entry, m_values, name, value);
}

const std::string* CUxCatalogueDialog::Attribute(std::string_view name) const { return Find(m_values, name); }

std::unique_ptr<CUxWindow> CreateCatalogueControl(std::string_view tag) {
  const CatalogueEntry* entry = FindCatalogueEntry(tag);
  if (!entry) return nullptr;
  if (entry->container) return std::make_unique<CUxCatalogueDialog>(*entry);
  return std::make_unique<CUxCatalogueControl>(*entry);
}

}  // namespace tw::ux
