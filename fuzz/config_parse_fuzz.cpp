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
  const int code = config.CheckInstallCondition("1&(2|~3)");
  if (code != 0 && code != 200 && code != 201 && code != 202 && code != 204) __builtin_trap();
  return 0;
}
