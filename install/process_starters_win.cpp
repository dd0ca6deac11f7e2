#include "install/process_starters_win.h"

#include <wtsapi32.h>
#include <tlhelp32.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "install/install_rules.h"
#include "platform/text.h"
#include "platform/win/library_loading_win.h"
#include "platform/win/unique_handle_win.h"
#include "platform/win/system_info_win.h"
#include "platform/win/proc_address_win.h"

namespace tw {
namespace {

using win::UniqueHandleObject;

void Note(std::wstring* trace, const wchar_t* step, bool ok) {
  if (trace == nullptr) return;
  if (!trace->empty()) *trace += L' ';
  *trace += step;
  *trace += ok ? L":yes" : L":no";
}

// The start-up record and the writable "\"<program>\" <parameters>" line.
struct Launch {
  Launch(const std::wstring& program, const std::wstring& parameters, WORD showState) {
    const std::wstring text = L"\"" + program + L"\" " + parameters;
    line.assign(text.begin(), text.end());
    line.push_back(L'\0');
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showState;
  }
  STARTUPINFOW startup{};
  std::vector<wchar_t> line;
};

DWORD FindProcess(const wchar_t* name) {
  const win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (EqualsNoCase(entry.szExeFile, name)) return entry.th32ProcessID;
  }
  return 0;
}

// The first session whose state is active, as WTSEnumerateSessions lists them.
std::optional<uint32_t> ActiveSession(HMODULE wtsapi) {
  using EnumerateFn = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW*, DWORD*);
  using FreeFn = void(WINAPI*)(PVOID);
  if (wtsapi == nullptr) return std::nullopt;
  const auto enumerate = win::GetProc<EnumerateFn>(wtsapi, "WTSEnumerateSessionsW");
  const auto release = win::GetProc<FreeFn>(wtsapi, "WTSFreeMemory");
  WTS_SESSION_INFOW* listed = nullptr;
  DWORD count = 0;
  if (enumerate == nullptr || release == nullptr || !enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &listed, &count)) {
    return std::nullopt;
  }
  const std::unique_ptr<WTS_SESSION_INFOW, FreeFn> owned(listed, release);
  std::vector<SessionState> sessions;
  for (DWORD i = 0; i < count; ++i) sessions.push_back({listed[i].SessionId, listed[i].State == WTSActive});
  return FirstActiveSession(sessions);
}

// The token of the active session's user, else of the first explorer.exe.
UniqueHandleObject InteractiveUserToken(std::wstring* trace) {
  UniqueHandleObject token;
  {
    using QueryFn = BOOL(WINAPI*)(ULONG, PHANDLE);
    const win::UniqueLibrary wtsapi(win::LoadSystemLibrary(L"wtsapi32.dll"));
    const auto query = wtsapi ? win::GetProc<QueryFn>(wtsapi.Get(), "WTSQueryUserToken") : nullptr;
    // Where the sessions cannot be listed (Wine lists none), the console's.
    std::optional<uint32_t> session = ActiveSession(wtsapi.Get());
    if (!session && ::WTSGetActiveConsoleSessionId() != 0xFFFFFFFF) session = ::WTSGetActiveConsoleSessionId();
    const bool viaWts = query != nullptr && session && query(*session, token.Put()) && token;
    Note(trace, L"wts", viaWts);
    if (viaWts) return token;
  }
  const DWORD explorer = FindProcess(L"explorer.exe");
  const UniqueHandleObject process(explorer != 0 ? ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, explorer) : nullptr);
  const bool viaExplorer = process && ::OpenProcessToken(process.Get(), TOKEN_ALL_ACCESS, token.Put());
  Note(trace, L"explorer", viaExplorer);
  if (!viaExplorer) token.Reset();
  return token;
}

bool IsAdministrator(HANDLE token) {
  SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!::AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &sid)) {
    return false;
  }
  const std::unique_ptr<void, decltype(&::FreeSid)> administrators(sid, &::FreeSid);
  // CheckTokenMembership needs an impersonation token.
  UniqueHandleObject impersonation;
  BOOL member = FALSE;
  if (::DuplicateToken(token, SecurityIdentification, impersonation.Put())) {
    ::CheckTokenMembership(impersonation.Get(), administrators.get(), &member);
  }
  return member != FALSE;
}

// The exit code of a process ended before it ran any code of its own.
constexpr UINT kEndedBeforeItRan = 1;

// Whether `token` is elevated; nothing when it cannot be asked.
std::optional<bool> IsElevated(HANDLE token) {
  TOKEN_ELEVATION elevation{};
  DWORD bytes = 0;
  if (!::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &bytes)) return std::nullopt;
  return elevation.TokenIsElevated != 0;
}

bool SameUser(HANDLE a, HANDLE b) {
  BYTE first[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
  BYTE second[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};
  DWORD bytes = 0;
  return ::GetTokenInformation(a, TokenUser, first, sizeof first, &bytes) &&
         ::GetTokenInformation(b, TokenUser, second, sizeof second, &bytes) &&
         ::EqualSid(reinterpret_cast<TOKEN_USER*>(first)->User.Sid, reinterpret_cast<TOKEN_USER*>(second)->User.Sid);
}

// The process of the desktop's shell: the shell window's, else the first
// explorer.exe.
DWORD ShellProcess() {
  DWORD process = 0;
  if (const HWND shell = ::GetShellWindow()) ::GetWindowThreadProcessId(shell, &process);
  return process != 0 ? process : FindProcess(L"explorer.exe");
}

// A primary token of this process's user that is not elevated: the
// shell's, or, where the shell runs elevated too, its linked limited token.
// Empty when there is none; never an elevated one.
UniqueHandleObject UnelevatedUserToken(std::wstring* trace) {
  const DWORD shellId = ShellProcess();
  const UniqueHandleObject shell(shellId != 0 ? ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellId) : nullptr);
  UniqueHandleObject token, own;
  const bool found = shell && ::OpenProcessToken(shell.Get(), TOKEN_QUERY | TOKEN_DUPLICATE, token.Put()) &&
                     ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, own.Put()) &&
                     SameUser(token.Get(), own.Get());
  Note(trace, L"shell", found);
  if (!found) return {};
  if (IsElevated(token.Get()) != false) {
    TOKEN_LINKED_TOKEN linked{};
    DWORD bytes = 0;
    const bool ok = ::GetTokenInformation(token.Get(), TokenLinkedToken, &linked, sizeof linked, &bytes) &&
                    linked.LinkedToken != nullptr;
    Note(trace, L"linked", ok);
    if (!ok) return {};
    token.Reset(linked.LinkedToken);
  }
  const bool limited = IsElevated(token.Get()) == false;
  Note(trace, L"limited", limited);
  if (!limited) return {};
  UniqueHandleObject primary;
  if (!::DuplicateTokenEx(token.Get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, primary.Put())) {
    Note(trace, L"primary", false);
    return {};
  }
  return primary;
}

// A duplicate of this process's primary token, moved to the console session.
UniqueHandleObject OwnTokenInConsoleSession() {
  UniqueHandleObject own;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ALL_ACCESS, own.Put())) return {};
  UniqueHandleObject duplicate;
  if (!::DuplicateTokenEx(own.Get(), MAXIMUM_ALLOWED, nullptr, SecurityIdentification, TokenPrimary, duplicate.Put())) {
    return {};
  }
  DWORD session = ::WTSGetActiveConsoleSessionId();
  ::SetTokenInformation(duplicate.Get(), TokenSessionId, &session, sizeof session);
  return duplicate;
}

// The two handles a started process comes with, owned from the start.
struct StartedProcess {
  explicit StartedProcess(const PROCESS_INFORMATION& info) noexcept : process(info.hProcess), thread(info.hThread) {}
  UniqueHandleObject process;
  UniqueHandleObject thread;
};

// Waits `waitMs` (negative: for ever, 0: not at all) and reads the exit code.
bool Wait(const StartedProcess& started, int waitMs, DWORD* exitCode) {
  if (waitMs != 0) {
    ::WaitForSingleObject(started.process.Get(), waitMs < 0 ? INFINITE : static_cast<DWORD>(waitMs));
    if (exitCode != nullptr) ::GetExitCodeProcess(started.process.Get(), exitCode);
  }
  return true;
}

bool StartWithToken(HANDLE token, const std::wstring& program, const std::wstring& parameters, int waitMs, int show,
                    std::wstring* trace) {
  using CreateBlockFn = BOOL(WINAPI*)(LPVOID*, HANDLE, BOOL);
  using DestroyBlockFn = BOOL(WINAPI*)(LPVOID);
  const win::UniqueLibrary userenv(win::LoadSystemLibrary(L"userenv.dll"));  // on demand: only this path needs it
  const auto create = userenv ? win::GetProc<CreateBlockFn>(userenv.Get(), "CreateEnvironmentBlock") : nullptr;
  const auto destroy = userenv ? win::GetProc<DestroyBlockFn>(userenv.Get(), "DestroyEnvironmentBlock") : nullptr;
  void* block = nullptr;
  if (create == nullptr || destroy == nullptr || !create(&block, token, FALSE)) block = nullptr;
  // Declared after the library, so the block goes before the code that frees it.
  const std::unique_ptr<void, DestroyBlockFn> environment(block, destroy);
  Note(trace, L"environment", environment != nullptr);

  Launch launch(program, parameters, show ? SW_SHOW : SW_HIDE);
  launch.startup.lpDesktop = const_cast<wchar_t*>(L"Winsta0\\Default");
  PROCESS_INFORMATION info{};
  DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
  if (environment) flags |= CREATE_UNICODE_ENVIRONMENT;
  const bool started = ::CreateProcessAsUserW(token, nullptr, launch.line.data(), nullptr, nullptr, FALSE, flags,
                                              environment.get(), nullptr, &launch.startup, &info) != FALSE;
  Note(trace, L"start", started);
  if (started) (void)Wait(StartedProcess(info), waitMs, nullptr);
  return started;
}

}  // namespace

bool StartAsElevatedUser(const std::wstring& program, const std::wstring& parameters, int waitMs, int show,
                         std::wstring* trace) {
  UniqueHandleObject token = InteractiveUserToken(trace);
  if (token && HasLinkedTokens(SystemVersion::Instance().Major())) {  // the full administrator token
    TOKEN_LINKED_TOKEN linked{};
    DWORD bytes = 0;
    const bool ok = ::GetTokenInformation(token.Get(), TokenLinkedToken, &linked, sizeof linked, &bytes) &&
                    linked.LinkedToken != nullptr;
    Note(trace, L"linked", ok);
    if (ok) token.Reset(linked.LinkedToken);
  }
  const bool administrator = token && IsAdministrator(token.Get());
  Note(trace, L"admin", administrator);
  if (!administrator) token = OwnTokenInConsoleSession();
  if (!token) return false;
  return StartWithToken(token.Get(), program, parameters, waitMs, show, trace);
}

bool StartAsUser(const std::wstring& program, const std::wstring& parameters, int waitMs, int show,
                 std::wstring* trace) {
  const UniqueHandleObject token = InteractiveUserToken(trace);
  return token && StartWithToken(token.Get(), program, parameters, waitMs, show, trace);
}

bool StartAsSelf(const std::wstring& program, const std::wstring& parameters, int waitMs, int show, DWORD* exitCode) {
  Launch launch(program, parameters, show ? SW_SHOWDEFAULT : SW_HIDE);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, launch.line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &launch.startup,
                        &info)) {
    return false;
  }
  return Wait(StartedProcess(info), waitMs, exitCode);
}

bool StartUnelevated(const std::wstring& program, const std::wstring& parameters, std::wstring* trace) {
  UniqueHandleObject token = UnelevatedUserToken(trace);
  if (!token) return false;
  Launch launch(program, parameters, SW_SHOWNORMAL);
  using WithTokenFn =
      BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);
  const auto withToken = win::GetProc<WithTokenFn>(::GetModuleHandleW(L"advapi32.dll"), "CreateProcessWithTokenW");
  // Windows starts a process with another token this way, given the right
  // to impersonate; CreateProcessAsUser needs a right administrators lack.
  // Wine honours the token only in the second and starts the first with
  // ours. Each start is made suspended and kept only when its token is not
  // elevated: a start that ignored the token is ended before it ran.
  const auto attempts = {
      std::make_pair(L"with-token", std::function<BOOL(PROCESS_INFORMATION&)>([&](PROCESS_INFORMATION& info) {
                       return withToken != nullptr &&
                              withToken(token.Get(), 0, nullptr, launch.line.data(), CREATE_SUSPENDED, nullptr, nullptr,
                                        &launch.startup, &info);
                     })),
      std::make_pair(L"as-user", std::function<BOOL(PROCESS_INFORMATION&)>([&](PROCESS_INFORMATION& info) {
                       return ::CreateProcessAsUserW(token.Get(), nullptr, launch.line.data(), nullptr, nullptr, FALSE,
                                                     CREATE_SUSPENDED, nullptr, nullptr, &launch.startup, &info);
                     })),
  };
  for (const auto& [name, start] : attempts) {
    PROCESS_INFORMATION info{};
    const bool started = start(info) != FALSE;
    Note(trace, name, started);
    if (!started) continue;
    const StartedProcess process(info);
    UniqueHandleObject childToken;
    const bool unelevated = ::OpenProcessToken(process.process.Get(), TOKEN_QUERY, childToken.Put()) &&
                            IsElevated(childToken.Get()) == false;
    Note(trace, L"unelevated", unelevated);
    if (!unelevated) {
      ::TerminateProcess(process.process.Get(), kEndedBeforeItRan);
      continue;
    }
    ::ResumeThread(process.thread.Get());
    return true;
  }
  return false;
}

}  // namespace tw
