#include "ui/drawing/font_pool_win.h"

#include <cwchar>

#include "platform/win/registry_win.h"
#include "ui/base/dpi.h"
#include "ui/drawing/style.h"

namespace tw::ux::win {

std::wstring DetectSystemFace() {
  static const struct {
    const wchar_t* value;
    const wchar_t* face;
  } kFaces[] = {
      {L"\u5FAE\u8F6F\u96C5\u9ED1 (TrueType)", L"\u5FAE\u8F6F\u96C5\u9ED1"},
      {L"Microsoft YaHei (TrueType)", L"Microsoft YaHei"},
      {L"Microsoft YaHei (TrueType) & Microsoft YaHei UI (TrueType)", L"Microsoft YaHei"},
      {L"Microsoft YaHei & Microsoft YaHei UI (TrueType)", L"Microsoft YaHei"},
      {L"\u5B8B\u4F53 & \u65B0\u5B8B\u4F53 (TrueType)", L"\u5B8B\u4F53"},
      {L"SimSun & NSimSun (TrueType)", L"SimSun"},
  };
  tw::win::UniqueRegKey key =
      tw::win::OpenRegKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                          KEY_QUERY_VALUE, tw::win::RegistryView::kDefault);
  if (!key) return {};
  for (const auto& entry : kFaces) {
    if (tw::win::RegValueExists(key.Get(), entry.value)) return entry.face;
  }
  return {};
}

std::wstring FontFileForFace(const std::wstring& face) {
  const wchar_t* file = nullptr;
  if (face == L"\u5FAE\u8F6F\u96C5\u9ED1" || face == L"Microsoft YaHei") file = L"msyh.ttf";
  else if (face == L"\u5B8B\u4F53") file = L"simsun.ttc";
  else if (face == L"SimSun") file = L"SimSun.ttc";
  if (!file) return {};
  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring path = windows;
  if (path.back() != L'\\') path += L'\\';
  path += L"fonts\\";
  path += file;
  return ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : path;
}

UxFontPool& UxFontPool::Instance() {
  static UxFontPool instance;
  return instance;
}

UxFontPool::UxFontPool() {
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof m_base, &m_base);
  m_detected_face = DetectSystemFace();
  if (!m_detected_face.empty()) {
    std::wcsncpy(m_base.lfFaceName, m_detected_face.c_str(), LF_FACESIZE - 1);
    m_base.lfFaceName[LF_FACESIZE - 1] = 0;
  }
  m_base.lfHeight = DpiScaleFontHeight(-12);
  m_base.lfQuality = IsYaHeiFace(m_base.lfFaceName) ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;
}

UxFontPool::~UxFontPool() = default;

void UxFontPool::LoadPrivateCollection() {
  m_collection.reset();
  const std::wstring file = FontFileForFace(m_base.lfFaceName);
  if (file.empty() || !EnsureGdiplus()) return;
  auto collection = std::make_unique<Gdiplus::PrivateFontCollection>();
  if (collection->AddFontFile(file.c_str()) == Gdiplus::Ok && collection->GetFamilyCount() > 0) {
    m_collection = std::move(collection);
  }
}

void UxFontPool::SetBaseFont(const std::wstring& face, int height) {
  std::lock_guard<std::mutex> hold(m_lock);
  std::wcsncpy(m_base.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  m_base.lfFaceName[LF_FACESIZE - 1] = 0;
  m_base.lfHeight = height;
  m_base.lfQuality = IsYaHeiFace(face) ? CLEARTYPE_QUALITY : ANTIALIASED_QUALITY;
  // Every cached font was made from the old face.
  m_fonts.clear();
  UxBaseFont::Instance().face = face;
  UxBaseFont::Instance().height = height;
  m_collection.reset();
  m_collection_tried = false;
}

void UxFontPool::ForgetScaledFonts() {
  std::lock_guard<std::mutex> hold(m_lock);
  for (auto& [key, font] : m_fonts) m_retired.push_back(std::move(font));
  m_fonts.clear();
}

Gdiplus::FontCollection* UxFontPool::PrivateCollection() {
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_collection_tried) {
    m_collection_tried = true;
    LoadPrivateCollection();
  }
  return m_collection.get();
}

LOGFONTW UxFontPool::Describe(UxFontChoice choice) const {
  LOGFONTW font = m_base;
  const FontTraits traits = DecodeFontCode(choice.code, UxBaseFont::Instance().height);
  font.lfHeight = choice.dpi_aware ? DpiScaleFontHeight(traits.height) : traits.height;
  font.lfWeight = traits.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = traits.underline;
  font.lfItalic = traits.italic;
  return font;
}

HFONT UxFontPool::Font(UxFontChoice choice) {
  std::lock_guard<std::mutex> hold(m_lock);
  const uint32_t key = (choice.dpi_aware ? 0x80000000u : 0u) | choice.code;
  if (auto found = m_fonts.find(key); found != m_fonts.end()) return found->second.Get();
  const LOGFONTW description = Describe(choice);
  tw::win::UniqueFont font(::CreateFontIndirectW(&description));
  if (!font) return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  return m_fonts.emplace(key, std::move(font)).first->second.Get();
}

}  // namespace tw::ux::win
