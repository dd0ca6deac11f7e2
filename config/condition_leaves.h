// The fifteen leaf tests of the condition language, built from their
// `leaf` elements by the factory the configuration parser uses.
#pragma once

#include "config/condition_language.h"

namespace tw {

// Builds the leaf for `mode`; null when a required attribute is missing.
std::unique_ptr<ICheckLeaf> MakeConditionLeaf(LeafMode mode, const tinyxml2::XMLElement& element);

// Days since the product was last uninstalled and how often, from the
// uninstall history (HKLM first, then the idex key under HKCR).
struct UninstallHistory {
  uint32_t count = 0;
  int64_t daysSince = 0;
};
UninstallHistory ReadUninstallHistory();

}  // namespace tw
