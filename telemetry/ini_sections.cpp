#include "telemetry/ini_sections.h"

#include "platform/text.h"

namespace TwDirectMetra {
namespace {

bool IsWhite(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

std::wstring_view Trim(std::wstring_view text, bool (*strip)(wchar_t)) {
  while (!text.empty() && strip(text.front())) text.remove_prefix(1);
  while (!text.empty() && strip(text.back())) text.remove_suffix(1);
  return text;
}

bool IsSpace(wchar_t c) { return c == L' '; }

std::wstring Lower(std::wstring_view text) {
  std::wstring lower;
  for (wchar_t c : text) lower.push_back(tw::AsciiToLower(c));
  return lower;
}

}  // namespace

bool IniSections::Parse(std::wstring_view text) {
  m_sections.clear();
  const size_t open = text.find(L'[');
  if (open == std::wstring_view::npos) return false;
  text.remove_prefix(open);
  std::map<std::wstring, std::map<std::wstring, std::wstring>> sections;
  std::wstring current;
  while (!text.empty()) {
    const size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
    line = Trim(Trim(line, IsWhite), IsSpace);
    if (line.empty()) continue;
    if (line.front() == L'[' && line.back() == L']' && line.size() >= 2) {
      current = Lower(Trim(line.substr(1, line.size() - 2), IsSpace));
      sections[current];
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring_view::npos) return false;
    std::wstring_view key = line.substr(0, equals);
    while (!key.empty() && key.back() == L' ') key.remove_suffix(1);
    std::wstring_view value = line.substr(equals + 1);
    while (!value.empty() && value.front() == L' ') value.remove_prefix(1);
    if (key.empty()) return false;
    sections[current][Lower(key)] = std::wstring(value);
  }
  m_sections = std::move(sections);
  return true;
}

const std::wstring* IniSections::Find(const std::wstring& section, const std::wstring& key) const {
  const auto s = m_sections.find(Lower(section));
  if (s == m_sections.end()) return nullptr;
  const auto k = s->second.find(Lower(key));
  return k == s->second.end() ? nullptr : &k->second;
}

bool IsAcknowledged(std::wstring_view text) {
  IniSections sections;
  if (!sections.Parse(text)) return false;
  const std::wstring* result = sections.Find(L"common", L"result");
  return result != nullptr && tw::ParseLeadingLong(*result) == 1;
}

}  // namespace TwDirectMetra
