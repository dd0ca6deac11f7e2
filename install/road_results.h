// The code a step record carries for each result of the layers below. The
// network and configuration layers name their own results; which of the
// road's codes each one is reported as is the install road's decision.
#pragma once

#include "config/condition_language.h"
#include "config/install_config_mgr.h"
#include "net/download_results.h"

namespace tw::road {

[[nodiscard]] int CodeOf(ConfigLoadResult result);
[[nodiscard]] int CodeOf(ConditionResult result);
[[nodiscard]] int CodeOf(DownloadFileResult result);
[[nodiscard]] int CodeOf(DownloaderResult result);

}  // namespace tw::road
