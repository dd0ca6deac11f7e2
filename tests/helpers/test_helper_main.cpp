// A second process for the Windows tests: acts on named objects from the
// outside, as a support tool or another copy of the installer would.
//   tw_test_helper reset-event NAME | set-event NAME
//   tw_test_helper set-event-with-arguments NAME ARG...
//       sets the event "NAME|ARG|ARG…": what it was started with, seen from outside
//   tw_test_helper parent-chain     prints "directory|md5" per ancestor
//   tw_test_helper hold-locked-mutex NAME
//       holds a mutex nobody may open, sets event NAME-ready, waits for NAME-done
//   tw_test_helper trust-root PEM
//       adds the certificate in the PEM file to the machine's trusted roots
//   tw_test_helper tamper PATH REPLACEMENT
//       tries to put REPLACEMENT's bytes where PATH is: by overwriting it, by
//       renaming it away and by deleting it; exit code: a bit per way that
//       worked (1 overwrite, 2 rename, 4 delete), 0 when all were refused
//   tw_test_helper os-code      exit code: the OS code of the Windows it runs on
//   tw_test_helper record-elevation NAME [ANY...]
//       sets the event "NAME-elevated" or "NAME-limited", as its own token is
//       (a handler the shell starts gets the address after NAME)
// Exit code 0 on success, 2 when the object could not be opened or changed.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "platform/file_open.h"
#include "platform/win/unique_handle_win.h"
#include "telemetry/anti_cheat.h"
#include "tests/win/test_support_win.h"
#include "platform/win/system_info_win.h"

namespace {

using tw::win::UniqueHandleObject;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"os-code") == 0) return tw::GetOsCode();
  if (argc == 2 && std::wcscmp(argv[1], L"parent-chain") == 0) {
    TwInstallTool::TwAntiCheatMgr chain;
    chain.Collect();
    for (int level = 0; level < 3; ++level) {
      std::printf("%ls|%ls\n", chain.directories[level].c_str(), chain.md5s[level].c_str());
    }
    return 0;
  }
  if (argc == 3 && std::wcscmp(argv[1], L"hold-locked-mutex") == 0) {
    // An empty DACL grants nobody anything: the mutex exists but cannot be opened.
    SECURITY_DESCRIPTOR descriptor{};
    ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    ACL acl{};
    ::InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    ::SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const UniqueHandleObject mutex(::CreateMutexW(&attributes, FALSE, argv[2]));
    const UniqueHandleObject ready(::CreateEventW(nullptr, TRUE, FALSE, (std::wstring(argv[2]) + L"-ready").c_str()));
    const UniqueHandleObject done(::CreateEventW(nullptr, TRUE, FALSE, (std::wstring(argv[2]) + L"-done").c_str()));
    if (!mutex || !ready || !done) return 2;
    ::SetEvent(ready.Get());
    ::WaitForSingleObject(done.Get(), 60000);
    return 0;
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"record-elevation") == 0) {
    UniqueHandleObject token;
    TOKEN_ELEVATION elevation{};
    DWORD bytes = 0;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.Put()) ||
        !::GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &bytes)) {
      return 2;
    }
    const std::wstring name = std::wstring(argv[2]) + (elevation.TokenIsElevated ? L"-elevated" : L"-limited");
    const UniqueHandleObject event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    return event && ::SetEvent(event.Get()) ? 0 : 2;
  }
  if (argc == 3 && std::wcscmp(argv[1], L"trust-root") == 0) {
    const tw::UniqueStdioFile file = tw::OpenFileWide(argv[2], "rb");
    if (!file) return 2;
    char pem[16384];
    const size_t length = std::fread(pem, 1, sizeof pem, file.get());
    return tw::test::TrustRootCertificate(std::string(pem, length)) ? 0 : 2;
  }
  if (argc == 4 && std::wcscmp(argv[1], L"tamper") == 0) {
    const std::wstring path = argv[2];
    int worked = 0;
    const bool writable = tw::win::UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
                              .IsValid();
    if (writable) {
      if (::CopyFileW(argv[3], path.c_str(), FALSE)) worked |= 1;
    }
    const std::wstring aside = path + L".aside";
    if (::MoveFileExW(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      worked |= 2;
      ::CopyFileW(argv[3], path.c_str(), FALSE);
    }
    if (::DeleteFileW(path.c_str())) {
      worked |= 4;
      ::CopyFileW(argv[3], path.c_str(), FALSE);
    }
    return worked;
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"set-event-with-arguments") == 0) {
    std::wstring name = argv[2];
    for (int i = 3; i < argc; ++i) name += std::wstring(L"|") + argv[i];
    const UniqueHandleObject event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    return event && ::SetEvent(event.Get()) ? 0 : 2;
  }
  // Extra arguments are tolerated: a copy started by self-update gets " -update:0".
  if (argc < 3) return 1;
  const bool reset = std::wcscmp(argv[1], L"reset-event") == 0;
  const bool set = std::wcscmp(argv[1], L"set-event") == 0;
  if (!reset && !set) return 1;
  const UniqueHandleObject event(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
  if (!event) return 2;
  const BOOL ok = reset ? ::ResetEvent(event.Get()) : ::SetEvent(event.Get());
  return ok ? 0 : 2;
}
