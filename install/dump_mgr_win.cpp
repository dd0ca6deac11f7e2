#include "install/dump_mgr_win.h"

#include "platform/win/module_path_win.h"
#include "platform/win/file_version_info_win.h"
#include "telemetry/machine_identity.h"
#include "platform/win/system_info_win.h"

namespace tw {
namespace {

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

std::wstring FileVersionOf(const std::wstring& path) {
  CFileVersionInfo info;
  return info.Create(path) ? info.FileVersion() : std::wstring();
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

TwDumpMgr& TwDumpMgr::Instance() {
  static TwDumpMgr manager;
  return manager;
}

TwDumpMgr::~TwDumpMgr() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (m_installed) ::SetUnhandledExceptionFilter(m_previous);
}

bool TwDumpMgr::Install() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  // A flag, not the previous filter, says whether we are installed: with no
  // previous filter a second call would chain the filter to itself.
  if (!m_installed) {
    m_previous = ::SetUnhandledExceptionFilter(&TwDumpMgr::Filter);
    m_installed = true;
  }
  return m_installed;
}

int TwDumpMgr::SetCompanyId(uint32_t companyId) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_report.Values().companyId = companyId;
  return 1;
}

int TwDumpMgr::SetTrialId(uint32_t trialId) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_report.Values().trynoId = trialId;
  return 1;
}

LONG WINAPI TwDumpMgr::Filter(EXCEPTION_POINTERS* exception) { return Instance().OnException(exception); }

void TwDumpMgr::CollectStaticValues() {
  TwInstallTool::DumpValues& values = m_report.Values();
  const std::wstring module = win::GetModulePath(ThisModule());
  const std::wstring exe = win::GetModulePath(nullptr);
  values.deviceId = GetDid();
  values.moduleName = FileName(module);
  values.moduleVersion = FileVersionOf(module);
  values.exeName = FileName(exe);
  values.exeVersion = FileVersionOf(exe);
  values.osId = static_cast<uint32_t>(GetOsId());
  values.is64 = SystemVersion::Instance().Is64() ? 1 : 0;
  m_report.SetMachineId(GetIdex());
}

LONG TwDumpMgr::OnException(EXCEPTION_POINTERS* exception) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!m_collected) {
    m_collected = true;
    CollectStaticValues();
  }
  TwInstallTool::DumpValues& values = m_report.Values();
  if (exception != nullptr && exception->ExceptionRecord != nullptr) {
    values.exceptionCode = exception->ExceptionRecord->ExceptionCode;
    values.exceptionAddress =
        static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(exception->ExceptionRecord->ExceptionAddress));
  }
  values.uptimeSeconds = ::GetTickCount() / 1000;
  (void)m_report.Send();
  return m_previous != nullptr ? m_previous(exception) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace tw
