// UxFontPool: the system face chosen once from the Fonts key, the base
// LOGFONT, one HFONT per (DPI flag, font code) made on first request and
// kept, and a GDI+ private collection loaded from the face's font file.
#pragma once

#include <windows.h>

#include <map>
#include <vector>
#include <memory>
#include <mutex>
#include <string>

#include "platform/win/gdi_handles_win.h"
#include "ui/drawing/canvas.h"
#include "ui/drawing/gdiplus_win.h"

namespace tw::ux::win {

// Which face the Fonts key offers: the first present of YaHei (Chinese or
// English name) and SimSun; empty when none.
std::wstring DetectSystemFace();
// The font file of a face under %WINDIR%\fonts, or empty.
std::wstring FontFileForFace(const std::wstring& face);

class UxFontPool {
 public:
  static UxFontPool& Instance();
  ~UxFontPool();

  const std::wstring& DetectedFace() const noexcept { return m_detected_face; }
  // Replaces the base face and height; the old code-0 font is deleted.
  void SetBaseFont(const std::wstring& face, int height);
  HFONT Font(UxFontChoice choice);
  // The DPI factor changed: fonts are made anew at the new height. The old
  // ones are kept (an edit box may still be drawing with one until its
  // window is given the new font).
  void ForgetScaledFonts();
  LOGFONTW Describe(UxFontChoice choice) const;
  // The private collection's family for GDI+ text, or null (system fonts).
  // Made on first use: the face's file is read whole (a YaHei collection is
  // about 20 MB), and a window without translucent text never needs it.
  Gdiplus::FontCollection* PrivateCollection();

 private:
  UxFontPool();
  void LoadPrivateCollection();

  mutable std::mutex m_lock;
  std::wstring m_detected_face;
  LOGFONTW m_base{};
  std::map<uint32_t, tw::win::UniqueFont> m_fonts;
  std::vector<tw::win::UniqueFont> m_retired;
  std::unique_ptr<Gdiplus::PrivateFontCollection> m_collection;
  bool m_collection_tried = false;  // for the current base face
};

}  // namespace tw::ux::win
