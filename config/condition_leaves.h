// The fifteen leaf tests of the condition language, built from their
// `leaf` elements by the factory the configuration parser uses.
#pragma once

#include <functional>

#include "config/condition_language.h"
#include "telemetry/reports.h"

namespace tw {

// Where the leaves that report what they found (uninstall history, VPN,
// virtual machine, city) send their detail record; an empty one takes none.
using LeafDetailSink =
    std::function<void(TwInstallTool::LeafDetailKind kind, int valueA, int valueB, const wchar_t* text)>;

// Builds the leaf for `mode`, reporting to `report`; null when a required
// attribute is missing.
std::unique_ptr<ICheckLeaf> MakeConditionLeaf(LeafMode mode, const tinyxml2::XMLElement& element,
                                              const LeafDetailSink& report);

// The factory the configuration parser uses: real leaves reporting to `report`.
LeafFactory ReportingLeafFactory(LeafDetailSink report);

// Days since the product was last uninstalled and how often, from the
// uninstall history (HKLM first, then the idex key under HKCR).
struct UninstallHistory {
  uint32_t count = 0;
  int64_t daysSince = 0;
};
UninstallHistory ReadUninstallHistory();

}  // namespace tw
