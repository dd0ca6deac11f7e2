#include "app/self_update.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "app/process_starters.h"
#include "deploy_config.h"
#include "net/download_file.h"
#include "net/http_transfer.h"
#include "net/tw_md5.h"
#include "platform/win/file_system_win.h"
#include "platform/win/module_path_win.h"
#include "platform/win/path_macros_win.h"
#include "platform/win/registry_win.h"
#include "telemetry/identity_keys.h"
#include "telemetry/reports.h"

namespace tw {
namespace {

int DefaultDraw() { return std::rand() % 10000; }

struct SelfUpdate {
  SelfUpdate() { std::srand(static_cast<unsigned>(std::time(nullptr))); }
  std::mutex lock;
  std::wstring url, md5, target;
  int probability = 0;
  int (*draw)() = &DefaultDraw;
};

SelfUpdate& Instance() {
  static SelfUpdate update;
  return update;
}

std::wstring IniValue(const std::wstring& ini, const wchar_t* key) {
  wchar_t value[1024] = {};
  ::GetPrivateProfileStringW(L"UiExe", key, L"", value, 1024, ini.c_str());
  return value;
}

// "setup_7_3.exe" -> "setup_7_3.bak.exe"
std::wstring BakName(const std::wstring& fileName) {
  const size_t dot = fileName.find_last_of(L'.');
  return dot == std::wstring::npos ? fileName + L".bak" : fileName.substr(0, dot) + L".bak" + fileName.substr(dot);
}

bool SwitchedOff() {
  const std::wstring self = win::GetModulePath();
  const std::wstring file = self.substr(0, self.find_last_of(L'\\') + 1) + L"jcqgxkg.ini";
  return ::GetPrivateProfileIntW(L"updatecheck", L"switch", 1, file.c_str()) != 1;
}

struct Outcome {
  int stage = 1;
  int code = 0;
  int transferError = 0;
};

bool Check(SelfUpdate& update, Outcome& outcome) {
  if (SwitchedOff()) return false;  // stage 1
  outcome.stage = 2;
  {
    std::lock_guard<std::mutex> guard(update.lock);
    std::string body;
    const std::string url = std::string(deploy::kUPDATE_BASE_URL_A) + "/defend/o1/jcqgx.ini";
    if (HttpGetToString(url.c_str(), nullptr, body, 10) != 0 || body.empty()) return false;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring ini = std::wstring(temp) + L"jcqgx.ini";
    struct DeleteIni {
      const std::wstring& path;
      ~DeleteIni() { win::DeleteFileIfPresent(path); }  // in every case
    } deleteIni{ini};
    FILE* file = ::_wfopen(ini.c_str(), L"wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(body.data(), 1, body.size(), file) == body.size();
    std::fclose(file);
    if (!written) return false;
    update.url = IniValue(ini, L"url");
    update.md5 = IniValue(ini, L"md5");
    std::wstring dir = IniValue(ini, L"dir");
    outcome.code = update.url.empty() ? 354 : update.md5.empty() ? 356 : dir.empty() ? 355 : 0;
    if (outcome.code != 0) return false;
    update.probability = ::GetPrivateProfileIntW(L"UiExe", L"probability", 0, ini.c_str());
    ExpandPathMacros(dir);
    if (dir.back() != L'\\') dir += L'\\';
    const std::wstring self = win::GetModulePath();
    update.target = dir + BakName(self.substr(self.find_last_of(L'\\') + 1));
  }
  outcome.stage = 3;
  if (update.draw() >= update.probability) return false;

  outcome.stage = 0;
  const win::UniqueRegKey cache = win::OpenRegKey(HKEY_CLASSES_ROOT, kDidKey, KEY_READ, win::RegistryView::kDefault);
  const std::wstring cached = cache ? win::ReadRegString(cache.Get(), L"UiExePath").value_or(L"") : L"";
  if (!cached.empty() && VerifyFileMd5(cached, update.md5)) return true;

  outcome.stage = 4;
  std::lock_guard<std::mutex> guard(update.lock);
  std::wstring target = update.target;
  ExpandPathMacros(target);
  win::DeleteFileIfPresent(target);
  const int result = DownloadFile(update.url, target, &outcome.transferError, nullptr, 300);
  if (result != kDownloadFileOk) {
    outcome.code = result;
    return false;
  }
  outcome.stage = 5;
  if (!VerifyFileMd5(target, update.md5)) return false;
  ::RegSetKeyValueW(HKEY_CLASSES_ROOT, kDidKey, L"UiExePath", REG_SZ, target.c_str(),
                    static_cast<DWORD>((target.size() + 1) * sizeof(wchar_t)));
  outcome.stage = 0;
  return true;
}

}  // namespace

bool ShouldSwitchToUpdate() {
  Outcome outcome;
  const bool ready = Check(Instance(), outcome);
  TwInstallTool::TwUpdateInfoReport().Send(static_cast<uint32_t>(outcome.stage), static_cast<uint32_t>(outcome.code),
                                           static_cast<uint32_t>(outcome.transferError));
  return ready;
}

bool RunUpdatedCopy(const std::wstring& commandLine) {
  SelfUpdate& update = Instance();
  std::lock_guard<std::mutex> guard(update.lock);
  std::wstring target = update.target;
  ExpandPathMacros(target);
  if (target.empty() || !win::FileExists(target)) return false;
  return StartAsSelf(target, commandLine + L" -update:0", -1, 0);
}

void SetUpdateDrawForTest(int (*draw)()) { Instance().draw = draw != nullptr ? draw : &DefaultDraw; }

}  // namespace tw
