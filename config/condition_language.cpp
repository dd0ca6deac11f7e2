#include "config/condition_language.h"

#include <tinyxml2.h>

#include "config/bool_expression.h"
#include "platform/text.h"

namespace tw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of digits at `pos` (moved past it): the number, or nothing when the
// run is longer than the language allows.
std::optional<int64_t> TakeNumber(const std::string& text, size_t& pos) {
  const size_t start = pos;
  int64_t value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (value <= INT32_MAX) value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos - start > kMaxNumberDigits) return std::nullopt;
  return value;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += (c > 0 && c < 0x80) ? static_cast<char>(c) : '?';
  return narrow;
}

}  // namespace

std::optional<LeafMode> LeafModeFromName(const char* mode) {
  static const char* const kNames[] = {
      "reg",       "service",      "kernelobject",       "driver",       "regfile",
      "varexfile", "fullpathfile", "osversion",          "uninstcounts", "cityblacklist",
      "vpn",       "vmvare",       "uninstcountandtime", "baruser",      "regintervaltime",
  };
  if (mode == nullptr) return std::nullopt;
  const std::wstring wide(mode, mode + std::char_traits<char>::length(mode));
  for (size_t i = 0; i < sizeof kNames / sizeof kNames[0]; ++i) {
    const std::wstring name(kNames[i], kNames[i] + std::char_traits<char>::length(kNames[i]));
    if (EqualsNoCase(wide, name)) return static_cast<LeafMode>(i);
  }
  return std::nullopt;
}

bool TwCheckItem::Evaluate(std::wstring& zeroOneText) {
  const std::string text = Narrow(m_expression);
  zeroOneText.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '&' || c == '(' || c == ')' || c == '|' || c == '~') {
      zeroOneText.push_back(static_cast<wchar_t>(c));
      ++pos;
      continue;
    }
    if (!IsDigit(c)) return false;
    const std::optional<int64_t> number = TakeNumber(text, pos);
    if (!number) return false;
    // Every leaf with this number is checked, every time: no short-circuit.
    for (const auto& leaf : m_leaves) {
      if (leaf->Id() == *number) zeroOneText.push_back(leaf->Check() ? L'1' : L'0');
    }
  }
  return true;
}

bool TwCheckParser::Parse(const tinyxml2::XMLElement* check, const LeafFactory& makeLeaf,
                          const std::function<std::wstring(const char*)>& widen, const DropReporter& dropped) {
  const auto drop = [&dropped](const std::string& what) {
    if (dropped) dropped(what);
  };
  m_items.clear();
  if (check == nullptr) return false;
  for (const tinyxml2::XMLElement* element = check->FirstChildElement("item"); element != nullptr;
       element = element->NextSiblingElement("item")) {
    const char* id = element->Attribute("id");
    const char* name = element->Attribute("name");
    const char* value = element->Attribute("value");
    const std::string itemName = std::string("check item ") + (id != nullptr ? id : "?");
    if (id == nullptr || name == nullptr || value == nullptr) {
      drop(itemName + ": needs id, name and value (dropped)");
      continue;
    }
    auto item =
        std::make_unique<TwCheckItem>(static_cast<int32_t>(std::strtol(id, nullptr, 10)), widen(name), widen(value));
    bool usable = true;
    for (const tinyxml2::XMLElement* leafElement = element->FirstChildElement("leaf"); usable && leafElement != nullptr;
         leafElement = leafElement->NextSiblingElement("leaf")) {
      const char* modeName = leafElement->Attribute("mode");
      const std::optional<LeafMode> mode = LeafModeFromName(modeName);
      std::unique_ptr<ICheckLeaf> leaf = mode ? makeLeaf(*mode, *leafElement) : nullptr;
      if (leaf == nullptr) {
        drop(itemName + (mode ? ": a leaf of mode \"" : ": leaf of unknown mode \"") +
             (modeName != nullptr ? modeName : "") + (mode ? "\" cannot be made (dropped)" : "\" (dropped)"));
        usable = false;
        break;
      }
      item->AddLeaf(std::move(leaf));
    }
    if (!usable) continue;
    if (!IsValidExpression(std::wstring_view(item->Expression()))) {
      drop(itemName + ": leaf expression \"" + value + "\" is not well formed (dropped)");
      continue;
    }
    m_items.push_back(std::move(item));
  }
  return true;
}

bool TwCheckParser::CheckItemById(int32_t id, bool& value) {
  for (const auto& item : m_items) {
    if (item == nullptr) return false;
    if (item->Id() != id) continue;
    std::wstring zeroOne;
    if (!item->Evaluate(zeroOne)) return false;
    if (const std::optional<bool> result = EvalBoolExpr(zeroOne)) {
      value = *result;
      return true;
    }
  }
  return false;
}

bool TwConditionParse::Parse(const tinyxml2::XMLElement* condition, const DropReporter& dropped) {
  const auto fail = [&dropped](const std::string& what) {
    if (dropped) dropped(what + " (the document fails)");
    return false;
  };
  m_items.clear();
  if (condition == nullptr) return true;
  for (const tinyxml2::XMLElement* element = condition->FirstChildElement("item"); element != nullptr;
       element = element->NextSiblingElement("item")) {
    int id = 0;
    const char* expression = element->Attribute("expression");
    const std::string itemName =
        std::string("condition item ") + (element->Attribute("id") != nullptr ? element->Attribute("id") : "?");
    if (element->QueryIntAttribute("id", &id) != tinyxml2::XML_SUCCESS || expression == nullptr || id <= 0) {
      return fail(itemName + ": needs an id above 0 and an expression");
    }
    if (!IsValidExpression(std::string_view(expression))) {
      return fail(itemName + ": expression \"" + expression + "\" is not well formed");
    }
    m_items.emplace(id, std::make_unique<TwItemNode>(id, expression));  // the first item with an id wins
  }
  return true;
}

const TwItemNode* TwConditionParse::Find(int32_t id) const {
  const auto it = m_items.find(id);
  return it == m_items.end() ? nullptr : it->second.get();
}

ConditionResult EvaluateCondition(const char* condition, bool configurationLoaded, TwCheckParser& checks) {
  if (condition == nullptr || !configurationLoaded) return ConditionResult::kMissing;
  const std::string text = condition;
  if (text.empty()) return ConditionResult::kSatisfied;
  std::wstring zeroOne;
  bool negate = false;
  size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '&' || c == '(' || c == ')' || c == '|') {
      zeroOne.push_back(static_cast<wchar_t>(c));
      ++pos;
    } else if (c == '~') {
      negate = true;  // applies to the next number, wherever it stands
      ++pos;
    } else if (IsDigit(c)) {
      const std::optional<int64_t> number = TakeNumber(text, pos);
      if (!number) return ConditionResult::kBadCharacter;
      bool value = true;
      const bool evaluated = *number <= INT32_MAX && checks.CheckItemById(static_cast<int32_t>(*number), value);
      zeroOne.push_back(!evaluated ? L'1' : ((value != negate) ? L'1' : L'0'));
      negate = false;
    } else {
      return ConditionResult::kBadCharacter;
    }
  }
  const std::optional<bool> result = EvalBoolExpr(zeroOne);
  if (!result) return ConditionResult::kMalformed;
  return *result ? ConditionResult::kSatisfied : ConditionResult::kNotSatisfied;
}

}  // namespace tw
