// Reading JSON text. Every failure records a code and the line and column
// where the cursor stood, so a damaged answer from a peer can be diagnosed
// from one log line.
#include "platform/ux_json.h"

namespace cf {
namespace UxJson {
namespace {

// Nesting beyond this is refused rather than risking the stack on hostile
// input; real documents are two or three levels deep.
constexpr int kMaxDepth = 256;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool ReadLiteral(Cursor& cursor, std::wstring_view literal) {
  if (cursor.text.substr(cursor.pos, literal.size()) != literal) {
    return cursor.Fail(kLiteralExpected);
  }
  cursor.pos += literal.size();
  return true;
}

// Reads a member value or array element chosen by its first character.
std::unique_ptr<Value> ReadElement(Cursor& cursor) {
  cursor.SkipWhiteSpace();
  std::unique_ptr<Value> value = NewValueFor(cursor.Peek());
  if (value == nullptr || cursor.depth >= kMaxDepth) {
    cursor.Fail(kUnreadableValue);
    return nullptr;
  }
  ++cursor.depth;
  const bool ok = value->Parse(cursor);
  --cursor.depth;
  if (!ok) {
    cursor.error.code = 0;  // the container reports the element as unreadable
    cursor.Fail(kUnreadableValue);
    return nullptr;
  }
  return value;
}

}  // namespace

void Cursor::SkipWhiteSpace() {
  while (!AtEnd()) {
    const wchar_t c = text[pos];
    if (c != L'\t' && c != L'\n' && c != L'\r' && c != L' ') break;
    ++pos;
  }
}

bool Cursor::Fail(int code) {
  if (error.code != kNoError) return false;  // the first failure is the cause
  error.code = code;
  error.line = 1;
  error.column = 1;
  const size_t end = pos < text.size() ? pos : text.size();
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == L'\n') {
      ++error.line;
      error.column = 1;
    } else {
      ++error.column;
    }
  }
  return false;
}

bool ValueNull::Parse(Cursor& cursor) { return ReadLiteral(cursor, L"null"); }

bool ValueBool::Parse(Cursor& cursor) {
  if (cursor.Peek() == L't') {
    m_bool = true;
    return ReadLiteral(cursor, L"true");
  }
  m_bool = false;
  return ReadLiteral(cursor, L"false");
}

bool ValueLong::Parse(Cursor& cursor) {
  bool negative = false;
  if (cursor.Peek() == L'-') {
    negative = true;
    ++cursor.pos;
  }
  if (!IsDigit(cursor.Peek())) return cursor.Fail(kDigitsExpected);
  uint32_t accumulated = 0;  // unsigned, so overflow wraps without UB
  while (IsDigit(cursor.Peek())) {
    accumulated = accumulated * 10u + static_cast<uint32_t>(cursor.Peek() - L'0');
    ++cursor.pos;
  }
  if (negative) accumulated = 0u - accumulated;
  m_long = static_cast<int32_t>(accumulated);
  return true;
}

bool ValueString::Parse(Cursor& cursor) {
  cursor.SkipWhiteSpace();
  if (cursor.Peek() != L'"') return cursor.Fail(kQuoteExpected);
  ++cursor.pos;
  std::wstring text;
  while (true) {
    if (cursor.AtEnd()) return cursor.Fail(kUnterminatedString);
    const wchar_t c = cursor.text[cursor.pos];
    if (c == L'"') break;
    if (c != L'\\') {
      text.push_back(c);
      ++cursor.pos;
      continue;
    }
    ++cursor.pos;
    if (cursor.AtEnd()) return cursor.Fail(kUnterminatedString);
    const wchar_t escape = cursor.text[cursor.pos];
    switch (escape) {
      case L'"':
      case L'/':
      case L'\\': text.push_back(escape); break;
      case L'b': text.push_back(L'\b'); break;
      case L'f': text.push_back(L'\f'); break;
      case L'n': text.push_back(L'\n'); break;
      case L'r': text.push_back(L'\r'); break;
      case L't': text.push_back(L'\t'); break;
      case L'u': {
        unsigned unit = 0;
        for (int i = 1; i <= 4; ++i) {
          const size_t at = cursor.pos + i;
          const int digit = at < cursor.text.size() ? HexDigit(cursor.text[at]) : -1;
          if (digit < 0) return cursor.Fail(kBadEscape);
          unit = unit * 16 + static_cast<unsigned>(digit);
        }
        if (unit == 0) return cursor.Fail(kBadEscape);
        text.push_back(static_cast<wchar_t>(unit));
        cursor.pos += 4;
        break;
      }
      default: return cursor.Fail(kBadEscape);
    }
    ++cursor.pos;
  }
  ++cursor.pos;  // closing quote
  m_string = std::move(text);
  return true;
}

bool ValueArray::Parse(Cursor& cursor) {
  cursor.SkipWhiteSpace();
  if (cursor.Peek() != L'[') return cursor.Fail(kArrayExpected);
  ++cursor.pos;
  cursor.SkipWhiteSpace();
  if (cursor.Peek() == L']') {
    ++cursor.pos;
    return true;
  }
  while (true) {
    std::unique_ptr<Value> element = ReadElement(cursor);
    if (element == nullptr) return false;
    Append(std::move(element));
    cursor.SkipWhiteSpace();
    if (cursor.Peek() == L',') {
      ++cursor.pos;
      continue;
    }
    if (cursor.Peek() == L']') {
      ++cursor.pos;
      return true;
    }
    return cursor.Fail(kSeparatorExpected);
  }
}

bool ValueObject::Parse(Cursor& cursor) {
  cursor.SkipWhiteSpace();
  if (cursor.Peek() != L'{') return cursor.Fail(kObjectExpected);
  ++cursor.pos;
  cursor.SkipWhiteSpace();
  if (cursor.Peek() == L'}') {
    ++cursor.pos;
    return true;
  }
  while (true) {
    ValueString name;
    if (!name.Parse(cursor)) return false;
    cursor.SkipWhiteSpace();
    if (cursor.Peek() != L':') return cursor.Fail(kColonExpected);
    ++cursor.pos;
    std::unique_ptr<Value> value = ReadElement(cursor);
    if (value == nullptr) return false;
    Set(name.Get(), std::move(value));  // a repeated name replaces the earlier value
    cursor.SkipWhiteSpace();
    if (cursor.Peek() == L',') {
      ++cursor.pos;
      cursor.SkipWhiteSpace();
      continue;
    }
    if (cursor.Peek() == L'}') {
      ++cursor.pos;
      return true;
    }
    return cursor.Fail(kSeparatorExpected);
  }
}

bool Document::Parse(std::wstring_view text) {
  SetRoot(nullptr);
  m_error = Error();
  // The root may be any of these; each try starts from the beginning and the
  // object's error is the one reported when none fits.
  std::unique_ptr<Value> tries[] = {
      std::make_unique<ValueBool>(),  std::make_unique<ValueLong>(),   std::make_unique<ValueString>(),
      std::make_unique<ValueArray>(), std::make_unique<ValueObject>(),
  };
  for (auto& candidate : tries) {
    Cursor cursor;
    cursor.text = text;
    if (candidate->Parse(cursor)) {
      SetRoot(std::move(candidate));
      return true;
    }
    m_error = cursor.error;
  }
  return false;
}

}  // namespace UxJson
}  // namespace cf
