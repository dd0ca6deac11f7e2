// The four extra report values (tid1, tid2, tod1, tod2) that the controller
// fills, after the launch, from the report leaves under the trial node's reid.
#pragma once

#include <map>
#include <string>

#include "config/install_config.h"

namespace tw {

struct ReportValues {
  std::wstring tid1, tid2, tod1, tod2;
};

// Leaves of type "reg" read a registry value (DWORD as "%d", or a string);
// leaves of type "file" read an INI value from a file in the Drivolux
// product directory. A value that cannot be read leaves the field as it was.
void FillReportValues(const std::multimap<int32_t, ReportLeaf>& reportMap, int32_t reid, ReportValues& values);

}  // namespace tw
