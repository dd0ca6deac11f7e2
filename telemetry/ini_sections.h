// The telemetry service's acknowledgement text: INI-like sections and keys,
// both looked up without regard to case.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace TwDirectMetra {

class IniSections {
 public:
  // False (and nothing kept) when there is no "[" or a line is neither a
  // section, nor empty, nor key=value with a non-empty key.
  [[nodiscard]] bool Parse(std::wstring_view text);
  // The value, or null when the section or key is absent.
  const std::wstring* Find(const std::wstring& section, const std::wstring& key) const;

 private:
  std::map<std::wstring, std::map<std::wstring, std::wstring>> m_sections;
};

// Whether an acknowledgement text says the record was taken: [common] result=1.
bool IsAcknowledged(std::wstring_view text);

}  // namespace TwDirectMetra
