// Style classes (`UxStyle`), the style pool, font codes and the base font.
// A control names a class with `class`; the class carries its skin, text
// colours and fonts per state, margins and text rendering options.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "ui/base/ux_object.h"

namespace tw::ux {

class UxStyle : public CUxObject {
 public:
  std::string_view TagName() const override { return "style"; }
  int ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;

  // Whether a state change alters how a control of this style looks.
  bool ReactsToState() const;

  std::string name;
  std::string skin;
  uint32_t textmode = 0x28;  // DT_SINGLELINE | DT_BOTTOM
  uint32_t textmodeex = 0;
  UxColour crbg = kNoColour;
  UxColour crbghover = kNoColour;
  UxColour crtext = kNoColour;
  UxColour crhover = kNoColour;
  UxColour crdisabled = MakeColour(204, 204, 204);
  UxColour crpush = kNoColour;
  uint16_t font = 0;
  uint16_t hoverfont = 0;
  uint16_t pushfont = 0;
  int x_margin = 0;
  int y_margin = 0;
  int spacing = 0;
  int linespacing = 20;
  int shadow = 0;
  UxColour crshadow = MakeColour(1, 1, 1);
  int gdiplus = 0;
  int bggdiplus = 0;
  int gditxtrndhit = 0;
  int alphatxt = 254;
  int alphabg = 255;
  int gdipluscalctxt = 0;
  int yhresizedisable = 0;
  enum class Cursor { kArrow, kHand } cursor = Cursor::kArrow;
};

class UxStylePool {
 public:
  static UxStylePool& Instance();
  // Empties the pool, leaving only the default style (empty name).
  void Reset();
  // Adds every named `class` of a `style` document; a name already present
  // is skipped. False when the document is not XML or its root is not `style`.
  [[nodiscard]] bool LoadDocument(std::string_view xml);
  // Never null: unknown names give the default style.
  const UxStyle* Find(std::string_view name) const;
  bool Contains(std::string_view name) const { return m_styles.count(name) != 0; }

 private:
  UxStylePool() { Reset(); }
  std::map<std::string, std::unique_ptr<UxStyle>, std::less<>> m_styles;
};

// What a 16-bit font code means against a base height.
struct FontTraits {
  int height = -12;  // LOGFONT height: negative, in pixels
  bool bold = false;
  bool underline = false;
  bool italic = false;
};
FontTraits DecodeFontCode(uint16_t code, int base_height) noexcept;

// The face and height every font code starts from (set at start-up from the
// string table: string 10 for a YaHei system, else string 11).
struct UxBaseFont {
  std::wstring face;
  int height = -12;
  static UxBaseFont& Instance();
  bool IsYaHei() const;
};
bool IsYaHeiFace(std::wstring_view face);

}  // namespace tw::ux
