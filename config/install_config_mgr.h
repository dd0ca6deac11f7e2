// Fetches and opens the channel's install configuration from the
// configuration service: the first thing the install controller needs.
#pragma once

#include "config/condition_leaves.h"
#include "config/install_config.h"

namespace tw {

// The numbers are the ones the log has always shown; the install road
// decides which code its records carry for each.
enum class ConfigLoadResult {
  kLoaded = 0,
  kNotFetched = 50,  // no answer, not 200, or an empty body
  kInvalid = 100,    // the text is not a usable configuration
  kEmptyText = 101,  // the body unwrapped to nothing
  // A valid configuration whose company is not the channel asked for: every
  // block is signed on its own, so a signed document can be served for
  // another channel than its own.
  kOtherChannel = 102,
};

class TwInstallConfigMgr : public InstallConfiguration {
 public:
  // Check items get the real leaf tests, which report to `report`.
  explicit TwInstallConfigMgr(LeafDetailSink report) : InstallConfiguration(ReportingLeafFactory(std::move(report))) {}
  // Check items get the leaves a test injects.
  explicit TwInstallConfigMgr(LeafFactory makeLeaf) : InstallConfiguration(std::move(makeLeaf)) {}

  // "<base>lminstall3/<cid>.json?time=<now>" with a 10-second limit.
  [[nodiscard]] ConfigLoadResult Load(int32_t cid);
};

}  // namespace tw
