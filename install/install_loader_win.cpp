#include "install/install_loader_win.h"

#include "install/process_starters_win.h"
#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/unique_handle_win.h"
#include "platform/win/proc_address_win.h"

namespace tw {

int TwInstallLoader::SetReportSink(const GUID& id, TwInstallTool::IInstallToolReport* sink) {
  if (IsEqualGUID(id, kInstallReportSinkId)) m_sink = sink;
  return 0;
}

bool TwInstallLoader::Prepare(const std::wstring& moduleType, const std::wstring& path, const std::wstring& parameters,
                              const std::wstring& functionName, const std::wstring& initFunctionName,
                              const std::wstring& uninitFunctionName, int show, int wait) {
  if (path.empty() || moduleType.empty()) return false;
  if (EqualsNoCase(moduleType, L"dll") && functionName.empty()) return false;
  m_module_type = moduleType;
  m_path = path;
  m_parameters = parameters;
  m_function_name = functionName;
  m_init_function_name = initFunctionName;
  m_uninit_function_name = uninitFunctionName;
  m_show = show;
  m_wait = wait < 0 ? -1 : wait;
  return true;
}

int TwInstallLoader::Run(int index) {
  if (EqualsNoCase(m_module_type, L"dll")) {
    if (m_sink != nullptr) m_sink->ReportDetail(60, 1, 0, index, nullptr);
    win::UniqueLibrary library(::LoadLibraryW(m_path.c_str()));
    if (!library) return kLaunchLibraryNotLoaded;
    if (m_sink != nullptr) m_sink->ReportDetail(60, 2, 0, index, nullptr);
    std::string name = win::WideToAnsi(m_function_name);
    if (name.size() > 255) name.resize(255);
    if (!name.empty()) {
      using EntryFn = void(WINAPI*)(const wchar_t*);
      const auto entry = tw::win::GetProc<EntryFn>(library.Get(), name.c_str());
      if (entry == nullptr) return kLaunchFunctionMissing;
      entry(m_parameters.c_str());  // its result is not part of the contract
    }
    return kLaunchOk;
  }
  if (EqualsNoCase(m_module_type, L"exe")) {
    if (m_path.empty()) return kLaunchEmptyPath;
    if (!win::FileExists(m_path)) return kLaunchFileMissing;
    if (StartAsElevatedUser(m_path, m_parameters, m_wait, m_show) ||
        StartAsUser(m_path, m_parameters, m_wait, m_show) || StartAsSelf(m_path, m_parameters, m_wait, m_show)) {
      return kLaunchOk;
    }
    return kLaunchNotStarted;
  }
  return kLaunchBadModuleType;
}

}  // namespace tw
