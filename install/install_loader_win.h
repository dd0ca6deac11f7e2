// Runs one downloaded package: a "dll" package through its entry function,
// an "exe" package as the interactive user so the product's installer runs
// in the user's session.
#pragma once

#include <windows.h>

#include <string>

#include "install/road_codes.h"
#include "telemetry/reports.h"

namespace tw {

// {322217FD-BA1D-43AC-9D29-9E0887EAD0D5}: the only sink identifier accepted.
constexpr GUID kInstallReportSinkId = {0x322217fd, 0xba1d, 0x43ac, {0x9d, 0x29, 0x9e, 0x08, 0x87, 0xea, 0xd0, 0xd5}};

enum LaunchResult : int {
  kLaunchOk = 0,
  kLaunchBadModuleType = road::kUnknownModuleType,
  kLaunchLibraryNotLoaded = road::kLibraryNotLoaded,
  kLaunchFunctionMissing = road::kFunctionNotFound,
  kLaunchNotStarted = road::kProcessNotStarted,
  kLaunchEmptyPath = road::kEmptyPath,
  kLaunchFileMissing = road::kPackageFileMissing,
};

class TwInstallLoader {
 public:
  int SetReportSink(const GUID& id, TwInstallTool::IInstallToolReport* sink);
  [[nodiscard]] bool Prepare(const std::wstring& moduleType, const std::wstring& path, const std::wstring& parameters,
                             const std::wstring& functionName, const std::wstring& initFunctionName,
                             const std::wstring& uninitFunctionName, int show, int wait);
  int Run(int index);

 private:
  TwInstallTool::IInstallToolReport* m_sink = nullptr;
  std::wstring m_module_type, m_path, m_parameters, m_function_name, m_init_function_name, m_uninit_function_name;
  int m_show = 0;
  int m_wait = 0;
};

}  // namespace tw
