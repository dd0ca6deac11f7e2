// A file's version resource: the fixed information and the twelve standard
// strings, read in the translation that best fits the user's language.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

class CFileVersionInfo {
 public:
  enum StringId {
    kCompanyName,
    kFileDescription,
    kFileVersion,
    kInternalName,
    kLegalCopyright,
    kOriginalFileName,
    kProductName,
    kProductVersion,
    kComments,
    kLegalTrademarks,
    kPrivateBuild,
    kSpecialBuild,
    kStringCount
  };

  CFileVersionInfo() { Reset(); }
  virtual ~CFileVersionInfo() = default;
  virtual void Reset();

  // False (and an empty object) when the file has no usable resource.
  [[nodiscard]] bool Create(const std::wstring& filePath);

  const VS_FIXEDFILEINFO& Fixed() const { return m_fixed; }
  bool HasFixed() const { return m_has_fixed; }
  const std::wstring& String(StringId id) const { return m_strings[id]; }
  const std::wstring& FileVersion() const { return m_strings[kFileVersion]; }
  WORD Language() const { return m_language; }
  WORD CodePage() const { return m_code_page; }

  static const wchar_t* StringName(StringId id);

 private:
  VS_FIXEDFILEINFO m_fixed{};
  bool m_has_fixed = false;
  WORD m_language = 0;
  WORD m_code_page = 0;
  std::wstring m_strings[kStringCount];
};

}  // namespace tw
