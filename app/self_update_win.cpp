#include "app/self_update.h"

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/log.h"
#include "install/download_cache_win.h"
#include "install/process_starters_win.h"
#include "app/update_ini.h"
#include "install/road_codes.h"
#include "install/road_results.h"
#include "net/transfer_rules.h"
#include "deploy_config.h"
#include "net/download_file_win.h"
#include "net/http_transfer.h"
#include "net/verified_file_win.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/file_version_info_win.h"
#include "platform/win/held_file_win.h"
#include "platform/win/module_path_win.h"
#include "platform/win/private_folder_win.h"
#include "telemetry/reports.h"

namespace tw {
namespace {

int DefaultDraw() { return std::rand() % 10000; }

// The whole check runs before the window and so is bounded: an update that
// cannot be decided in this time is left for a later run.
constexpr ULONGLONG kDecisionBudgetMs = 3000;
constexpr long kIniLimitSeconds = 3;

struct SelfUpdate {
  SelfUpdate() { std::srand(static_cast<unsigned>(std::time(nullptr))); }
  std::mutex lock;
  std::wstring url, md5, target;
  int probability = 0;
  win::HeldFile verified;  // the copy whose MD5 matched, held until it has run
  int (*draw)() = &DefaultDraw;
  uint64_t running_version_for_test = 0;
};

SelfUpdate& Instance() {
  static SelfUpdate update;
  return update;
}

constexpr wchar_t kCacheValue[] = L"UiExePath";

constexpr const char* kTrustNames[] = {"signed", "https", "plain (allowed by the deployment)", "refused"};

// "setup_7_3.exe" -> "setup_7_3.bak.exe"
std::wstring BakName(const std::wstring& fileName) {
  const size_t dot = fileName.find_last_of(L'.');
  return dot == std::wstring::npos ? fileName + L".bak" : fileName.substr(0, dot) + L".bak" + fileName.substr(dot);
}

// A plain INI over http only when the deployment says its service is old.
bool AllowPlainIni() { return deploy::kUPDATE_ALLOW_PLAIN_A[0] == '1'; }

bool SwitchedOff() {
  const std::wstring self = win::GetModulePath();
  const std::wstring file = self.substr(0, self.find_last_of(L'\\') + 1) + L"jcqgxkg.ini";
  return ::GetPrivateProfileIntW(L"updatecheck", L"switch", 1, file.c_str()) != 1;
}

// MS << 32 | LS of a file's fixed version; 0 when it has none.
uint64_t FileVersionOf(const std::wstring& path) {
  CFileVersionInfo info;
  if (!info.Create(path) || !info.HasFixed()) return 0;
  return uint64_t{info.Fixed().dwFileVersionMS} << 32 | info.Fixed().dwFileVersionLS;
}

// Every block of a signed INI is signed on its own and an INI carries no
// date, so an old one can be replayed to bring back a copy the vendor has
// replaced: only a copy newer than the running one is started.
bool NewerThanThisCopy(const SelfUpdate& update, const std::wstring& copy) {
  const uint64_t running =
      update.running_version_for_test != 0 ? update.running_version_for_test : FileVersionOf(win::GetModulePath());
  const uint64_t offered = FileVersionOf(copy);
  if (offered > running) return true;
  LogWrite("SelfUpdate: the copy offered (%u.%u.%u.%u) is not newer than this one (%u.%u.%u.%u): not started",
           static_cast<unsigned>(offered >> 48), static_cast<unsigned>(offered >> 32 & 0xFFFF),
           static_cast<unsigned>(offered >> 16 & 0xFFFF), static_cast<unsigned>(offered & 0xFFFF),
           static_cast<unsigned>(running >> 48), static_cast<unsigned>(running >> 32 & 0xFFFF),
           static_cast<unsigned>(running >> 16 & 0xFFFF), static_cast<unsigned>(running & 0xFFFF));
  return false;
}

struct Outcome {
  int stage = 1;
  int code = 0;
  int transferError = 0;
};

// The verified copy stays held only when it is newer (stage 5, code 357 otherwise).
bool KeepIfNewer(SelfUpdate& update, Outcome& outcome) {
  if (NewerThanThisCopy(update, update.verified.Path())) return true;
  update.verified.Release();
  outcome.stage = 5;
  outcome.code = road::kUpdateNotNewer;
  return false;
}

bool Check(SelfUpdate& update, Outcome& outcome) {
  const ULONGLONG deadline = ::GetTickCount64() + kDecisionBudgetMs;
  if (SwitchedOff()) return false;  // stage 1
  outcome.stage = 2;
  (void)TwLog::Instance().Start(TwLog::DefaultPath());  // what was refused, and why, is in the log
  {
    std::lock_guard<std::mutex> guard(update.lock);
    update.verified.Release();  // a new decision: what an earlier one held goes
    std::string body;
    const std::string url = std::string(deploy::kUPDATE_BASE_URL_A) + "/defend/o1/jcqgx.ini";
    if (HttpGetToString(url.c_str(), nullptr, body, kIniLimitSeconds) != 0 || body.empty()) return false;
    const AuthenticatedIni ini =
        AuthenticateUpdateIni(body, RsaPublicKey{deploy::kCONFIG_RSA_MODULUS_A, deploy::kCONFIG_RSA_EXPONENT_A},
                              IsHttpsAddress(url), AllowPlainIni());
    LogWrite("SelfUpdate: ini %s", kTrustNames[static_cast<int>(ini.trust)]);
    if (ini.trust == UpdateIniTrust::kRefused) return false;
    const UpdateOffer offer = ReadUpdateOffer(ini.text);
    update.url = win::AnsiToWide(offer.url);
    update.md5 = win::AnsiToWide(offer.md5);
    const std::wstring dir = win::AnsiToWide(offer.dir);
    outcome.code = update.url.empty()   ? road::kUpdateNoUrl
                   : update.md5.empty() ? road::kUpdateNoMd5
                   : dir.empty()        ? road::kUpdateNoFolder
                                        : road::kOk;
    if (outcome.code != 0) return false;
    update.probability = offer.probability;
  }
  outcome.stage = 3;
  if (update.draw() >= update.probability) return false;

  outcome.stage = 0;
  // The INI's folder is not where the copy goes: it is written, verified and
  // started in the work folder, which no other process of the user can
  // change. Its file name stays ours.
  const std::optional<std::wstring> work = win::WorkFolder();
  if (!work) {
    outcome.stage = 4;
    outcome.code = road::kWorkFolderUnavailable;
    return false;
  }
  {
    std::lock_guard<std::mutex> guard(update.lock);
    const std::wstring self = win::GetModulePath();
    update.target = *work + BakName(self.substr(self.find_last_of(L'\\') + 1));
  }
  const std::wstring cached = ReadCachedDownload(kCacheValue, *work);
  if (!cached.empty()) {
    std::lock_guard<std::mutex> guard(update.lock);
    update.verified = HoldVerified(cached, update.md5);
    if (update.verified.IsHeld()) return KeepIfNewer(update, outcome);
  }

  outcome.stage = 4;
  std::lock_guard<std::mutex> guard(update.lock);
  const std::wstring target = update.target;
  win::DeleteFileIfPresent(target);
  const ULONGLONG now = ::GetTickCount64();
  if (now + 1000 > deadline) {
    LogWrite("SelfUpdate: no time left for the download, skipped for this run");
    outcome.code = road::kDownloadFailed;
    outcome.transferError = kTransferTimedOut;
    return false;
  }
  // Whole seconds left, at least one: the limit the transfer can have.
  const long limit = static_cast<long>((deadline - now) / 1000);
  const DownloadFileResult result = DownloadFile(update.url, target, &outcome.transferError, nullptr, limit);
  if (result != DownloadFileResult::kOk) {
    outcome.code = road::CodeOf(result);
    return false;
  }
  outcome.stage = 5;
  update.verified = HoldVerified(target, update.md5);
  if (!update.verified.IsHeld() || !KeepIfNewer(update, outcome)) return false;
  CacheDownload(kCacheValue, target, CacheKey::kCreate);
  outcome.stage = 0;
  return true;
}

}  // namespace

bool ShouldSwitchToUpdate() {
  Outcome outcome;
  const bool ready = Check(Instance(), outcome);
  (void)TwInstallTool::TwUpdateInfoReport().Send(static_cast<uint32_t>(outcome.stage),
                                                 static_cast<uint32_t>(outcome.code),
                                                 static_cast<uint32_t>(outcome.transferError));
  return ready;
}

bool RunUpdatedCopy(const std::wstring& commandLine) {
  SelfUpdate& update = Instance();
  std::lock_guard<std::mutex> guard(update.lock);
  // Only the copy held since its verification runs, from the path it was held at.
  if (!update.verified.IsHeld()) return false;
  // Started by the name its handle has now, and only while that name leads to it.
  const std::wstring verified = update.verified.FinalPath();
  const bool started = update.verified.IsAt(verified) && StartAsSelf(verified, commandLine + L" -update:0", -1, 0);
  update.verified.Release();
  return started;
}

void SetUpdateDrawForTest(int (*draw)()) { Instance().draw = draw != nullptr ? draw : &DefaultDraw; }

void SetRunningVersionForTest(uint64_t version) { Instance().running_version_for_test = version; }

}  // namespace tw
