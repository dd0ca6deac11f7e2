#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win/file_version_info_win.h"
#include "platform/version_translation.h"

namespace tw {

const wchar_t* CFileVersionInfo::StringName(StringId id) {
  static const wchar_t* const kNames[kStringCount] = {
      L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",    L"LegalCopyright", L"OriginalFileName",
      L"ProductName", L"ProductVersion",  L"Comments",    L"LegalTrademarks", L"PrivateBuild",   L"SpecialBuild",
  };
  return kNames[id];
}

void CFileVersionInfo::Reset() {
  std::memset(&m_fixed, 0, sizeof m_fixed);
  m_has_fixed = false;
  m_language = 0;
  m_code_page = 0;
  for (auto& text : m_strings) text.clear();
}

bool CFileVersionInfo::Create(const std::wstring& filePath) {
  Reset();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(filePath.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(filePath.c_str(), 0, size, block.data())) return false;

  void* data = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(block.data(), L"\\", &data, &length) && length == sizeof(VS_FIXEDFILEINFO)) {
    std::memcpy(&m_fixed, data, sizeof m_fixed);
    m_has_fixed = true;
  }

  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &data, &length) || length < 4) {
    Reset();
    return false;
  }
  std::vector<VersionTranslation> translations(length / 4);
  for (size_t i = 0; i < translations.size(); ++i) {
    const WORD* pair = static_cast<const WORD*>(data) + i * 2;
    translations[i] = VersionTranslation{pair[0], pair[1]};
  }
  const VersionTranslation chosen = translations[ChooseTranslation(translations, ::GetUserDefaultLangID())];
  m_language = chosen.language;
  m_code_page = chosen.codePage;

  for (int id = 0; id < kStringCount; ++id) {
    wchar_t query[96];
    std::swprintf(query, 96, L"\\StringFileInfo\\%04X%04X\\%ls", chosen.language, chosen.codePage,
                  StringName(static_cast<StringId>(id)));
    if (::VerQueryValueW(block.data(), query, &data, &length) && length > 0) {
      const wchar_t* text = static_cast<const wchar_t*>(data);
      m_strings[id].assign(text, wcsnlen(text, length));
    }
  }
  return true;
}

}  // namespace tw
