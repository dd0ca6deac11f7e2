#include "app/command_line.h"

namespace tw {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

class SwitchScanner {
 public:
  explicit SwitchScanner(std::wstring_view text) : m_text(text) {}

  SwitchMap Scan() {
    SwitchMap switches;
    while (!AtEnd()) {
      const wchar_t c = m_text[m_pos];
      if (c == L'"') {
        SkipQuoted();
      } else if (c == L'-' || c == L'/') {
        ++m_pos;
        if (c == L'-' && !AtEnd() && m_text[m_pos] == L'-') ++m_pos;
        ReadSwitch(switches);
      } else {
        ++m_pos;
      }
    }
    return switches;
  }

 private:
  bool AtEnd() const { return m_pos >= m_text.size(); }

  // Returns the text up to the next double quote and moves past that quote;
  // an unterminated quote runs to the end.
  std::wstring_view TakeQuoted() {
    const size_t start = ++m_pos;
    const size_t close = m_text.find(L'"', start);
    const size_t end = close == std::wstring_view::npos ? m_text.size() : close;
    m_pos = close == std::wstring_view::npos ? m_text.size() : close + 1;
    return m_text.substr(start, end - start);
  }

  void SkipQuoted() { TakeQuoted(); }

  void ReadSwitch(SwitchMap& switches) {
    const size_t nameStart = m_pos;
    while (!AtEnd() && !IsBlank(m_text[m_pos]) && m_text[m_pos] != L':' && m_text[m_pos] != L'=') {
      ++m_pos;
    }
    std::wstring name(m_text.substr(nameStart, m_pos - nameStart));
    if (AtEnd() || IsBlank(m_text[m_pos])) {
      switches[name] = L"1";
      return;
    }
    ++m_pos;  // ':' or '='
    if (AtEnd() || IsBlank(m_text[m_pos])) {
      switches[name] = L"";
      return;
    }
    if (m_text[m_pos] == L'"') {
      switches[name] = std::wstring(TakeQuoted());
      return;
    }
    const size_t valueStart = m_pos;
    while (!AtEnd() && !IsBlank(m_text[m_pos])) ++m_pos;
    switches[name] = std::wstring(m_text.substr(valueStart, m_pos - valueStart));
  }

  std::wstring_view m_text;
  size_t m_pos = 0;
};

}  // namespace

SwitchMap ParseSwitches(std::wstring_view commandLine) { return SwitchScanner(commandLine).Scan(); }

}  // namespace tw
