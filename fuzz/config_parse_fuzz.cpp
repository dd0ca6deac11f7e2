// A configuration document that unwrapped correctly can still hold any
// XML: parsing and evaluating its conditions must never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/install_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tw::InstallConfiguration config;
  (void)config.Parse(text);  // a refused document still answers the lookups below
  config.GetTrynoNode(3);
  config.GetConditionItem(1);
  using Result = tw::ConditionResult;
  const Result code = config.CheckInstallCondition("1&(2|~3)");
  if (code != Result::kSatisfied && code != Result::kNotSatisfied && code != Result::kMissing &&
      code != Result::kMalformed && code != Result::kBadCharacter) {
    __builtin_trap();
  }
  return 0;
}
