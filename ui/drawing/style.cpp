#include "ui/drawing/style.h"

#include <tinyxml2.h>

#include "ui/base/attribute_values.h"

namespace tw::ux {

int UxStyle::ApplyAttribute(std::string_view key, std::string_view value, bool loading) {
  const int result = CUxObject::ApplyAttribute(key, value, loading);
  if (result != kAttrUnknown) return result;
  struct ColourField {
    std::string_view name;
    UxColour UxStyle::*field;
  };
  static constexpr ColourField kColours[] = {
      {"crbg", &UxStyle::crbg},        {"crbghover", &UxStyle::crbghover},   {"crtext", &UxStyle::crtext},
      {"crhover", &UxStyle::crhover},  {"crdisabled", &UxStyle::crdisabled}, {"crpush", &UxStyle::crpush},
      {"crshadow", &UxStyle::crshadow}};
  for (const auto& colour : kColours) {
    if (key == colour.name) {
      this->*colour.field = ReadStyleColour(value);
      return kAttrChanged;
    }
  }
  if (key == "cursor") {
    if (value == "hand") cursor = Cursor::kHand;
    else if (value == "arrow") cursor = Cursor::kArrow;
    else return kAttrUnknown;
    return kAttrChanged;
  }
  struct IntField {
    std::string_view name;
    int UxStyle::*field;
  };
  static constexpr IntField kInts[] = {{"x-margin", &UxStyle::x_margin},
                                       {"y-margin", &UxStyle::y_margin},
                                       {"spacing", &UxStyle::spacing},
                                       {"linespacing", &UxStyle::linespacing},
                                       {"shadow", &UxStyle::shadow},
                                       {"gdiplus", &UxStyle::gdiplus},
                                       {"bggdiplus", &UxStyle::bggdiplus},
                                       {"gditxtrndhit", &UxStyle::gditxtrndhit},
                                       {"alphatxt", &UxStyle::alphatxt},
                                       {"alphabg", &UxStyle::alphabg},
                                       {"gdipluscalctxt", &UxStyle::gdipluscalctxt},
                                       {"yhresizedisable", &UxStyle::yhresizedisable}};
  for (const auto& field : kInts) {
    if (key == field.name) {
      this->*field.field = ReadInt(value);
      return kAttrHandled;
    }
  }
  if (key == "name") name = std::string(value);
  else if (key == "skin") skin = std::string(value);
  else if (key == "textmode") textmode = ReadHex(value) & ~dt::kModifyString;
  else if (key == "textmodeex") textmodeex = ReadHex(value) & ~dt::kModifyString;
  else if (key == "font") font = static_cast<uint16_t>(ReadHex(value));
  else if (key == "hoverfont") hoverfont = static_cast<uint16_t>(ReadHex(value));
  else if (key == "pushfont") pushfont = static_cast<uint16_t>(ReadHex(value));
  else if (key == "margin") x_margin = y_margin = ReadInt(value);
  else return kAttrUnknown;
  return kAttrHandled;
}

bool UxStyle::ReactsToState() const {
  return crbghover != kNoColour || crhover != kNoColour || crpush != kNoColour || hoverfont != 0 || pushfont != 0 ||
         crdisabled != MakeColour(204, 204, 204);
}

UxStylePool& UxStylePool::Instance() {
  static UxStylePool instance;
  return instance;
}

void UxStylePool::Reset() {
  m_styles.clear();
  m_styles.emplace(std::string(), std::make_unique<UxStyle>());
}

bool UxStylePool::LoadDocument(std::string_view xml) {
  tinyxml2::XMLDocument doc;
  const tinyxml2::XMLElement* root = ParseDocumentRoot(doc, xml, "style");
  if (!root) return false;
  for (auto* element = root->FirstChildElement("class"); element; element = element->NextSiblingElement("class")) {
    const char* name = element->Attribute("name");
    if (!name || m_styles.count(std::string_view(name))) continue;
    auto style = std::make_unique<UxStyle>();
    style->Load(*element);
    m_styles.emplace(name, std::move(style));
  }
  return true;
}

const UxStyle* UxStylePool::Find(std::string_view name) const {
  auto found = m_styles.find(name);
  if (found == m_styles.end()) found = m_styles.find(std::string_view());
  return found->second.get();
}

FontTraits DecodeFontCode(uint16_t code, int base_height) noexcept {
  FontTraits font;
  const int step = static_cast<int8_t>(code >> 8);
  font.height = base_height - step;
  font.bold = (code & 0x0004) != 0;
  font.underline = (code & 0x0002) != 0;
  font.italic = (code & 0x0001) != 0;
  return font;
}

UxBaseFont& UxBaseFont::Instance() {
  static UxBaseFont instance;
  return instance;
}

bool IsYaHeiFace(std::wstring_view face) { return face == L"\u5FAE\u8F6F\u96C5\u9ED1" || face == L"Microsoft YaHei"; }

bool UxBaseFont::IsYaHei() const { return IsYaHeiFace(face); }

}  // namespace tw::ux
