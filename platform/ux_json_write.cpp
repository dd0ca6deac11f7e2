// Writing JSON text. The compact form is what goes on the wire; the pretty
// form is for people reading a log or a saved document.
#include "platform/ux_json.h"

namespace cf {
namespace UxJson {
namespace {

void Indent(std::wstring& out, int count) { out.append(static_cast<size_t>(count > 0 ? count : 0), L' '); }

void WriteQuoted(std::wstring& out, const std::wstring& text) {
  out.push_back(L'"');
  for (wchar_t c : text) {
    switch (c) {
      case L'\b': out += L"\\b"; break;
      case L'\t': out += L"\\t"; break;
      case L'\n': out += L"\\n"; break;
      case L'\f': out += L"\\f"; break;
      case L'\r': out += L"\\r"; break;
      case L'"': out += L"\\\""; break;
      case L'/': out += L"\\/"; break;
      case L'\\': out += L"\\\\"; break;
      default:
        if ((c >= 1 && c <= 31) || (c >= 127 && c <= 255)) {
          static const wchar_t kHex[] = L"0123456789abcdef";
          const unsigned unit = static_cast<unsigned>(c);
          out += L"\\u00";
          out.push_back(kHex[(unit >> 4) & 0xF]);
          out.push_back(kHex[unit & 0xF]);
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back(L'"');
}

}  // namespace

void ValueNull::Write(std::wstring& out, bool, int, int) const { out += L"null"; }

void ValueBool::Write(std::wstring& out, bool, int, int) const { out += m_bool ? L"true" : L"false"; }

void ValueLong::Write(std::wstring& out, bool, int, int) const { out += std::to_wstring(m_long); }

void ValueString::Write(std::wstring& out, bool, int, int) const { WriteQuoted(out, m_string); }

void ValueObject::Write(std::wstring& out, bool pretty, int level, int step) const {
  out.push_back(L'{');
  if (pretty) out += L"\r\n";
  size_t written = 0;
  for (const auto& member : m_members) {
    if (pretty) Indent(out, level + step);
    WriteQuoted(out, member.first);
    out += pretty ? L" : " : L":";
    member.second->Write(out, pretty, level + step, step);
    if (++written < m_members.size()) out.push_back(L',');
    if (pretty) out += L"\r\n";
  }
  if (pretty) Indent(out, level);
  out.push_back(L'}');
}

void ValueArray::Write(std::wstring& out, bool pretty, int level, int step) const {
  bool multiline = pretty && m_items.size() > 1;
  for (const auto& item : m_items) {
    if (pretty && (item->Type() == kArray || item->Type() == kObject)) multiline = true;
  }
  out.push_back(L'[');
  if (multiline) out += L"\r\n";
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (multiline) Indent(out, level + step);
    m_items[i]->Write(out, pretty, multiline ? level + step : level, step);
    if (i + 1 < m_items.size()) out += multiline ? L", \r\n" : L",";
  }
  if (multiline) {
    out += L"\r\n";
    Indent(out, level);
  }
  out.push_back(L']');
}

std::wstring Document::ToString(bool pretty, int step) const {
  std::wstring out;
  if (m_root != nullptr) m_root->Write(out, pretty, 0, step);
  return out;
}

}  // namespace UxJson
}  // namespace cf
