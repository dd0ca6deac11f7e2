// Conditions and leaf expressions come from the configuration service:
// any text must give one of the result codes, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "config/bool_expression.h"
#include "config/condition_language.h"

namespace {

class AlternatingLeaf : public tw::ICheckLeaf {
 public:
  explicit AlternatingLeaf(int32_t id) { SetId(id); }
  bool Check() override { return (m_calls++ % 2) == 0; }

 private:
  int m_calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const size_t split = text.find('\n');
  const std::string condition = text.substr(0, split);
  const std::string itemExpression = split == std::string::npos ? "1|2" : text.substr(split + 1);

  tw::TwCheckParser checks;
  for (int32_t id = 1; id <= 3; ++id) {
    auto item = std::make_unique<tw::TwCheckItem>(id, L"", std::wstring(itemExpression.begin(), itemExpression.end()));
    item->AddLeaf(std::make_unique<AlternatingLeaf>(1));
    item->AddLeaf(std::make_unique<AlternatingLeaf>(2));
    checks.Add(std::move(item));
  }
  using Result = tw::ConditionResult;
  const Result code = tw::EvaluateCondition(condition.c_str(), true, checks);
  if (code != Result::kSatisfied && code != Result::kNotSatisfied && code != Result::kMalformed &&
      code != Result::kBadCharacter) {
    __builtin_trap();
  }
  tw::EvalBoolExpr(std::wstring(text.begin(), text.end()));
  return 0;
}
