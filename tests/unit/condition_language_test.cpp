#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "config/bool_expression.h"
#include "config/condition_language.h"

namespace tw {
namespace {

TEST(EvalBoolExpr, PrecedenceNestingAndErrors) {
  struct Case {
    const wchar_t* text;
    int expected;  // 0 false, 1 true, -1 E_FAIL
  } cases[] = {
      {L"1", 1},
      {L"0", 0},
      {L"~0", 1},
      {L"~~0", 0},
      {L"1|0&0", 1},  // "&" binds tighter than "|"
      {L"(1|0)&0", 0},
      {L"~(0|1)", 0},  // inside an expression "~" applies to the factor after it
      {L"~1&1", 0},    // "~" binds tighter than "&"
      {L"1&(0|(1&~0))", 1},
      {L"((((1))))", 1},
      {L"", -1},
      {L"()", -1},
      {L"&1", -1},
      {L"1&", -1},
      {L"1|", -1},
      {L"11", -1},
      {L"1~", -1},
      {L"1&&1", -1},
      {L"(1", -1},
      {L"1)", -1},
      {L")1(", -1},
      {L"1 & 1", -1},
      {L"2", -1},
      {L"~", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const std::optional<bool> value = EvalBoolExpr(c.text);
    if (c.expected < 0) {
      EXPECT_FALSE(value.has_value());
    } else {
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(*value, c.expected == 1);
    }
  }
  EXPECT_FALSE(EvalBoolExpr(std::wstring(100000, L'(') + L"1" + std::wstring(100000, L')')).has_value())
      << "hostile nesting fails instead of overflowing the stack";
}

TEST(IsValidExpression, CharactersAndBalance) {
  EXPECT_TRUE(IsValidExpression(std::string_view("12&(3|~4)")));
  EXPECT_TRUE(IsValidExpression(std::string_view("")));
  EXPECT_FALSE(IsValidExpression(std::string_view("1 & 2")));
  EXPECT_FALSE(IsValidExpression(std::string_view("(1&2")));
  EXPECT_FALSE(IsValidExpression(std::string_view("1+2")));
}

// A leaf with a fixed answer that counts how often it was asked.
class FixedLeaf : public ICheckLeaf {
 public:
  FixedLeaf(int32_t id, bool answer, int* checks) : m_answer(answer), m_checks(checks) { SetId(id); }
  bool Check() override {
    ++*m_checks;
    return m_answer;
  }

 private:
  bool m_answer;
  int* m_checks;
};

class ConditionTest : public testing::Test {
 protected:
  // Item `id` with leaves {leafId: answer} and its leaf expression.
  void Item(int32_t id, const wchar_t* expression, std::initializer_list<std::pair<int32_t, bool>> leaves) {
    auto item = std::make_unique<TwCheckItem>(id, L"", expression);
    for (const auto& [leafId, answer] : leaves) item->AddLeaf(std::make_unique<FixedLeaf>(leafId, answer, &m_checks));
    m_checks_parser.Add(std::move(item));
  }
  ConditionResult Condition(const char* text) { return EvaluateCondition(text, true, m_checks_parser); }

  TwCheckParser m_checks_parser;
  int m_checks = 0;
};

TEST_F(ConditionTest, CodesAndRules) {
  Item(1, L"1", {{1, true}});
  Item(2, L"1", {{1, false}});
  Item(3, L"1&2", {{1, true}});              // leaf 2 missing: the item does not evaluate
  Item(4, L"1|2", {{1, true}, {1, false}});  // two leaves numbered 1
  struct Case {
    const char* condition;
    ConditionResult code;
  } cases[] = {
      {"", ConditionResult::kSatisfied},
      {"1", ConditionResult::kSatisfied},
      {"2", ConditionResult::kNotSatisfied},
      {"1&9", ConditionResult::kSatisfied},  // item 9 does not exist: it counts as satisfied
      {"~9", ConditionResult::kSatisfied},   // ... whatever the negation
      {"~2", ConditionResult::kSatisfied},
      {"~(2|1)", ConditionResult::kSatisfied},     // the "~" applies to item 2 only: (~2|1)
      {"~(1|2)", ConditionResult::kNotSatisfied},  // (~1|2)
      {"~~1", ConditionResult::kNotSatisfied},     // negated once
      {"3", ConditionResult::kSatisfied},          // an item whose leaf numbers do not match its leaves
      {"4", ConditionResult::kSatisfied},          // two leaves for one number: "11|..." fails, item satisfied
      {"1|2&2", ConditionResult::kSatisfied},
      {"1 & 2", ConditionResult::kBadCharacter},
      {"1&x", ConditionResult::kBadCharacter},
      {"(1&2", ConditionResult::kMalformed},
      {"&1", ConditionResult::kMalformed},
      {"123456789012345678901234567890123", ConditionResult::kBadCharacter},  // 33 digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.condition);
    EXPECT_EQ(Condition(c.condition), c.code);
  }
  EXPECT_EQ(EvaluateCondition(nullptr, true, m_checks_parser), ConditionResult::kMissing);
  EXPECT_EQ(EvaluateCondition("1", false, m_checks_parser), ConditionResult::kMissing);
}

TEST_F(ConditionTest, LeavesAreCheckedEveryTimeTheirNumberOccurs) {
  Item(1, L"1|1|2", {{1, true}, {2, false}});
  bool value = false;
  ASSERT_TRUE(m_checks_parser.CheckItemById(1, value));
  EXPECT_TRUE(value);
  EXPECT_EQ(m_checks, 3) << "no short-circuit: leaf 1 twice, leaf 2 once";
  EXPECT_EQ(Condition(""), ConditionResult::kSatisfied);
  EXPECT_EQ(m_checks, 3) << "an empty condition checks nothing";
}

TEST_F(ConditionTest, ALeafExpressionNegatesItsFactor) {
  Item(7, L"~(1|2)", {{1, false}, {2, true}});
  bool value = true;
  ASSERT_TRUE(m_checks_parser.CheckItemById(7, value));
  EXPECT_FALSE(value);
}

TEST_F(ConditionTest, TheFirstEvaluableItemWithAnIdAnswers) {
  Item(5, L"1&2", {{1, true}});  // does not evaluate: the next item with id 5 answers
  Item(5, L"1", {{1, false}});
  EXPECT_EQ(Condition("5"), ConditionResult::kNotSatisfied);
}

TEST(ConditionSections, ParsingRules) {
  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(R"xml(<root>
    <check>
      <item id="1" name="a" value="1"><leaf id="1" mode="REG"/></item>
      <item id="2" name="no value"><leaf id="1" mode="reg"/></item>
      <item id="3" name="bad mode" value="1"><leaf id="1" mode="nosuch"/></item>
      <item id="4" name="rejected" value="1"><leaf id="1" mode="file"/></item>
      <item id="5" name="bad expression" value="1 |2"><leaf id="1" mode="reg"/></item>
      <item id="6" name="b" value="(1)"><leaf id="1" mode="vmvare"/></item>
    </check>
    <condition><item id="1" expression="1&amp;6"/><item id="1" expression="6"/></condition>
    <condition2><item id="1" expression="1 &amp; 6"/></condition2>
    <condition3><item id="0" expression="1"/></condition3>
  </root>)xml"),
            tinyxml2::XML_SUCCESS);
  const tinyxml2::XMLElement* root = document.RootElement();
  int made = 0;
  const LeafFactory factory = [&](LeafMode mode, const tinyxml2::XMLElement& element) -> std::unique_ptr<ICheckLeaf> {
    ++made;
    static int ignored = 0;
    return mode == LeafMode::kReg || mode == LeafMode::kVmware
               ? std::make_unique<FixedLeaf>(element.IntAttribute("id"), true, &ignored)
               : nullptr;
  };
  const auto widen = [](const char* text) { return std::wstring(text, text + strlen(text)); };
  TwCheckParser checks;
  EXPECT_TRUE(checks.Parse(root->FirstChildElement("check"), factory, widen));
  EXPECT_EQ(checks.Size(), 2u) << "items 1 and 6 remain";
  EXPECT_EQ(made, 3) << "the factory is asked for the leaves of items 1, 5 and 6: not for an item without a "
                        "value, nor for a mode no leaf class has (\"nosuch\", \"file\")";
  EXPECT_FALSE(checks.Parse(nullptr, factory, widen));
  EXPECT_EQ(made, 3);

  TwConditionParse conditions;
  ASSERT_TRUE(conditions.Parse(root->FirstChildElement("condition")));
  ASSERT_NE(conditions.Find(1), nullptr);
  EXPECT_EQ(conditions.Find(1)->Expression(), "1&6") << "the first item with an id wins";
  EXPECT_EQ(conditions.Find(2), nullptr);
  EXPECT_FALSE(conditions.Parse(root->FirstChildElement("condition2"))) << "a blank fails the whole section";
  EXPECT_FALSE(conditions.Parse(root->FirstChildElement("condition3"))) << "ids must be > 0";
  EXPECT_TRUE(conditions.Parse(nullptr));
}

TEST(LeafModes, TableInOrderIgnoringCase) {
  EXPECT_EQ(LeafModeFromName("Reg"), LeafMode::kReg);
  EXPECT_EQ(LeafModeFromName("VMVARE"), LeafMode::kVmware);
  EXPECT_EQ(LeafModeFromName("regintervaltime"), LeafMode::kRegIntervalTime);
  EXPECT_FALSE(LeafModeFromName("vmware").has_value());
  EXPECT_FALSE(LeafModeFromName(nullptr).has_value());
}

}  // namespace
}  // namespace tw
