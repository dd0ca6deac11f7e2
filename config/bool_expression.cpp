#include "config/bool_expression.h"

#include <vector>

namespace tw {
namespace {

// Nesting beyond this fails rather than risking the stack on hostile text;
// real conditions nest two or three levels.
constexpr int kMaxNesting = 200;

template <typename Char>
bool IsValidText(std::basic_string_view<Char> text) {
  long balance = 0;
  for (Char c : text) {
    if (c == '(') ++balance;
    else if (c == ')') --balance;
    else if (!(c >= '0' && c <= '9') && c != '&' && c != '|' && c != '~') return false;
  }
  return balance == 0;
}

enum class Token { kValue, kAnd, kOr, kNot };

struct Item {
  Token token;
  bool value;
};

// Evaluates one level starting at `pos`; stops after its closing ")" (or at
// the end for the outermost level).
class LevelEvaluator {
 public:
  explicit LevelEvaluator(std::wstring_view text) : m_text(text) {}

  std::optional<bool> Level(size_t& pos, int depth) {
    if (depth > kMaxNesting) return std::nullopt;
    std::vector<Item> items;  // operands and operators in text order (the two stacks, interleaved)
    while (pos < m_text.size()) {
      const wchar_t c = m_text[pos++];
      switch (c) {
        case L'0': items.push_back({Token::kValue, false}); break;
        case L'1': items.push_back({Token::kValue, true}); break;
        case L'&': items.push_back({Token::kAnd, false}); break;
        case L'|': items.push_back({Token::kOr, false}); break;
        case L'~': items.push_back({Token::kNot, false}); break;
        case L'(': {
          const std::optional<bool> nested = Level(pos, depth + 1);
          if (!nested) return std::nullopt;
          items.push_back({Token::kValue, *nested});
          break;
        }
        case L')':
          if (depth == 0) return std::nullopt;
          return Reduce(items);
        default: return std::nullopt;
      }
    }
    if (depth != 0) return std::nullopt;  // a level that never closed
    return Reduce(items);
  }

 private:
  // Three passes from the right end: "~", then "&", then "|".
  static std::optional<bool> Reduce(std::vector<Item> items) {
    std::vector<Item> pass;
    for (size_t i = items.size(); i-- > 0;) {  // "~" applies to the operand after it
      if (items[i].token == Token::kNot) {
        if (pass.empty() || pass.back().token != Token::kValue) return std::nullopt;
        pass.back().value = !pass.back().value;
      } else {
        pass.push_back(items[i]);
      }
    }
    // `pass` is now right-to-left; combine "&" then "|" keeping the rest.
    for (Token op : {Token::kAnd, Token::kOr}) {
      std::vector<Item> kept;
      for (const Item& item : pass) {
        if (!kept.empty() && kept.back().token == op) {
          kept.pop_back();
          if (kept.empty() || kept.back().token != Token::kValue || item.token != Token::kValue) return std::nullopt;
          kept.back().value = op == Token::kAnd ? (kept.back().value && item.value) : (kept.back().value || item.value);
        } else {
          kept.push_back(item);
        }
      }
      pass = std::move(kept);
    }
    if (pass.size() != 1 || pass[0].token != Token::kValue) return std::nullopt;
    return pass[0].value;
  }

  std::wstring_view m_text;
};

}  // namespace

bool IsValidExpression(std::string_view text) { return IsValidText(text); }
bool IsValidExpression(std::wstring_view text) { return IsValidText(text); }

std::optional<bool> EvalBoolExpr(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c != L'0' && c != L'1' && c != L'&' && c != L'(' && c != L')' && c != L'|' && c != L'~') return std::nullopt;
  }
  if (!IsValidExpression(text)) return std::nullopt;
  size_t pos = 0;
  return LevelEvaluator(text).Level(pos, 0);
}

}  // namespace tw
