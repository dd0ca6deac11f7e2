// Crashes on purpose after installing the crash manager, as the installer
// would crash: tw_crash_helper TELEMETRY_URL [crashes]
#include <windows.h>

#include <cwchar>

#include "install/dump_mgr_win.h"
#include "telemetry/reports.h"

static LONG WINAPI ContinueFirstException(EXCEPTION_POINTERS* exception) {
  return exception->ExceptionRecord->ExceptionCode == 0xE0000001 ? EXCEPTION_CONTINUE_EXECUTION
                                                                 : EXCEPTION_CONTINUE_SEARCH;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 1;
  TwInstallTool::SetTelemetryUrl(argv[1]);
  const int crashes = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 1;
  // No debugger and no error dialog: the crash manager's record is the only outcome.
  ::SetErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
  if (crashes > 1) {
    // A filter that was there before the crash manager and lets the first
    // exception continue, so one process crashes twice.
    ::SetUnhandledExceptionFilter(&ContinueFirstException);
  }
  (void)tw::TwDumpMgr::Instance().Install();
  (void)tw::TwDumpMgr::Instance().Install();  // a second call must not chain the filter to itself
  if (crashes > 1) ::RaiseException(0xE0000001, 0, 0, nullptr);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
