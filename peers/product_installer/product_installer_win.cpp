// A stand-in for the product's own installer, carried by an "exe" package.
// It records the command line it was given exactly, holds the named events a
// real installer holds, posts its stages and outcome to the window named by
// "hwnd=", and leaves the registry values a real product leaves.
//
// Behaviour by extra pairs after "/autoinstall ##...":
//   mode=fail        post 1137 instead of 1136
//   mode=silent      post nothing at all
//   mode=slow        pause 100 ms between stages
//   pause=MS         pause MS milliseconds between stages (a visible installation)
//   linger=MS        wait MS milliseconds between the outcome and stage 5 (the
//                    finished page stays up until stage 5 ends the window)
//   mode=crash       post the first stage, then end abruptly with an access
//                    violation's code, as a crash does (no debugger is asked)
//   needreboot=1     create SOFTWARE\tarnwick\Antivirus\TwNeedReboot
//   hold=NAME        keep the events until the event NAME is set (60 s at most)
// The command line goes to %TEMP%\tw_product_installer.txt (UTF-8); each
// message posted is added to %TEMP%\tw_product_installer_stages.txt as a line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

#include "platform/file_open.h"
#include "platform/win/unique_handle_win.h"

namespace {

constexpr UINT kStageMessage = WM_USER + 109;
constexpr UINT kSucceededMessage = WM_USER + 112;
constexpr UINT kFailedMessage = WM_USER + 113;

std::map<std::wstring, std::wstring> AutoinstallPairs(const std::wstring& commandLine) {
  std::map<std::wstring, std::wstring> pairs;
  const size_t start = commandLine.find(L"/autoinstall ##");
  if (start == std::wstring::npos) return pairs;
  std::wstring rest = commandLine.substr(start + 15);
  size_t pos = 0;
  while (pos < rest.size()) {
    size_t end = rest.find(L'&', pos);
    if (end == std::wstring::npos) end = rest.size();
    const std::wstring pair = rest.substr(pos, end - pos);
    const size_t equals = pair.find(L'=');
    if (equals != std::wstring::npos) {
      std::wstring value = pair.substr(equals + 1);
      if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
      pairs[pair.substr(0, equals)] = value;
    }
    pos = end + 1;
  }
  return pairs;
}

void RecordPosted(const char* line) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  if (const tw::UniqueStdioFile file{
          ::_wfopen((std::wstring(temp) + L"tw_product_installer_stages.txt").c_str(), L"ab")}) {
    std::fprintf(file.get(), "%s\r\n", line);
  }
}

void Post(HWND window, UINT message, WPARAM stage, const char* line) {
  ::PostMessageW(window, message, stage, 0);
  RecordPosted(line);
}

void Record(const std::wstring& commandLine) {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, commandLine.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, commandLine.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  if (const tw::UniqueStdioFile file{::_wfopen((std::wstring(temp) + L"tw_product_installer.txt").c_str(), L"wb")}) {
    std::fwrite(utf8.data(), 1, utf8.size(), file.get());
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring commandLine = ::GetCommandLineW();
  Record(commandLine);
  auto pairs = AutoinstallPairs(commandLine);
  const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoul(pairs[L"hwnd"].c_str(), nullptr, 16)));
  const bool ownWindowless = std::wcstol(pairs[L"noshowinstalldlg"].c_str(), nullptr, 10) != 0;

  // Held until the process ends, as the product's installer holds them.
  const tw::win::UniqueHandleObject running(
      ::CreateEventW(nullptr, TRUE, FALSE, L"Global\\{E02A6D98-80B3-4a54-89E3-116EB96D0664}_EXIST"));
  const tw::win::UniqueHandleObject windowless(
      ownWindowless ? ::CreateEventW(nullptr, TRUE, FALSE, L"Global\\{8A58A1E3-3034-44A4-AA09-D655F233F8ED}_EXIST")
                    : nullptr);

  const std::wstring installPath = pairs[L"installpath"];
  ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus", L"ProgramPath", REG_SZ, installPath.c_str(),
                    static_cast<DWORD>((installPath.size() + 1) * sizeof(wchar_t)));
  if (pairs[L"needreboot"] == L"1") {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus\\TwNeedReboot", 0, nullptr, 0, KEY_WRITE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS) {
      const tw::win::UniqueRegKey made(key);
    }
  }

  const std::wstring mode = pairs[L"mode"];
  if (mode == L"crash") {
    if (window != nullptr) ::PostMessageW(window, kStageMessage, 1, 0);
    ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
  }
  if (mode != L"silent" && window != nullptr) {
    const DWORD pause = mode == L"slow" ? 100 : std::wcstoul(pairs[L"pause"].c_str(), nullptr, 10);
    const char* names[] = {"", "stage 1", "stage 2", "stage 3", "stage 4"};
    for (WPARAM stage = 1; stage <= 4; ++stage) {
      Post(window, kStageMessage, stage, names[stage]);
      ::Sleep(std::min<DWORD>(pause, 10000));
    }
    if (mode == L"fail") Post(window, kFailedMessage, 0, "failed (1137)");
    else Post(window, kSucceededMessage, 0, "succeeded (1136)");
    ::Sleep(std::min<DWORD>(std::wcstoul(pairs[L"linger"].c_str(), nullptr, 10), 10000));
    Post(window, kStageMessage, 5, "stage 5");
  }

  if (!pairs[L"hold"].empty()) {
    const tw::win::UniqueHandleObject release(::CreateEventW(nullptr, TRUE, FALSE, pairs[L"hold"].c_str()));
    ::WaitForSingleObject(release.Get(), 60000);
  }
  return mode == L"fail" ? 1 : 0;
}
