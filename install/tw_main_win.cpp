#include "install/tw_main_win.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "install/download_cache_win.h"
#include "install/dump_mgr_win.h"
#include "install/install_loader_win.h"
#include "install/install_rules.h"
#include "platform/log.h"
#include "install/silent_flag.h"
#include "deploy_config.h"
#include "net/connectivity.h"
#include "net/curl_downloader_win.h"
#include "net/download_file_win.h"
#include "net/partial_download.h"
#include "net/partial_file_win.h"
#include "platform/tw_md5.h"
#include "net/verified_file_win.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/link_safe_win.h"
#include "platform/path_rules.h"
#include "platform/win/path_macros_win.h"
#include "platform/win/private_folder_win.h"
#include "platform/win/registry_win.h"
#include "telemetry/identity_keys.h"
#include "install/road_codes.h"
#include "install/road_results.h"
#include "telemetry/machine_identity.h"
#include "platform/win/system_info_win.h"

namespace tw {
namespace {

// The parent-process record is queued in a moment; its thread gets this
// long to end before it is terminated.
constexpr DWORD kReportThreadWaitMs = 3000;
// A partial download older than this is not continued but removed.
constexpr int64_t kPartialFileDays = 7;

// Log lines carry Chinese text: written in the ANSI code page like every line.
void Log(const std::wstring& text) { LogWrite("%s", win::WideToAnsi(text).c_str()); }

std::wstring Wide(const std::string& ansi) { return win::AnsiToWide(ansi); }

// Deletes a package file, or marks it for deletion at the next restart; a
// link at its name is left alone with what it leads to (link_safe_win.h).
void RemovePackage(const std::wstring& path) {
  if (win::IsLinkAt(path)) return;
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::DeleteFileW(path.c_str()) && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
    ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

std::optional<DWORD> UninstallTime(HKEY root, const wchar_t* key) {
  const win::UniqueRegKey opened = win::OpenRegKey(root, key, KEY_READ, win::RegistryView::kDefault);
  return opened ? win::ReadRegDword(opened.Get(), L"uninstall_time") : std::nullopt;
}

}  // namespace

TwMain::TwMain() : TwMain(Hooks{}) {}

TwMain::TwMain(Hooks hooks)
    : m_hooks(std::move(hooks)),
      m_config([this](TwInstallTool::LeafDetailKind kind, int valueA, int valueB, const wchar_t* text) {
        (void)TwInstallTool::SendLeafDetail(m_identity, kind, valueA, valueB, text);
      }) {
  if (!m_hooks.draw) m_hooks.draw = [] { return std::rand() % 100 + 1; };
  if (!m_hooks.silent) m_hooks.silent = [] { return IsSilent(); };
  if (!m_hooks.sleep) m_hooks.sleep = [](DWORD ms) { ::Sleep(ms); };
}

TwMain::~TwMain() {
  StopReportThread();
  // A thread that died inside the heap, the log or libcurl may hold their
  // locks for ever: the final record would wait on them.
  if (m_abandoned) return;
  m_report.ReportFinal(m_final.shown, m_final.button, m_final.completion);
}

void TwMain::StopReportThread() {
  if (m_report_thread.StopGracefully(kReportThreadWaitMs)) return;
  // Logged while the thread still runs: after it is terminated, the log's
  // lock may be gone with it.
  LogWrite("TwMain: the report thread did not end within %lu ms and is terminated; the final record is skipped",
           kReportThreadWaitMs);
  m_report_thread.Terminate();
  m_abandoned = true;
}

HRESULT TwMain::SetProgressSink(const GUID& id, IDownloadCallback* sink) {
  if (!IsEqualGUID(id, kProgressSinkId)) return E_FAIL;
  m_progress = sink;
  return S_OK;
}

int TwMain::Init(int cid, int tid) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  m_draw = m_hooks.draw();
  // The union file feeds one condition leaf; its download never stops Init.
  const std::string unionUrl = std::string(deploy::kCONFIG_BASE_URL_A) + "lminstall3/unioncfg.dat?time=" +
                               std::to_string(static_cast<int32_t>(std::time(nullptr)));
  int ignored = 0;
  if (const auto work = win::WorkFolder()) {
    (void)DownloadFile(Wide(unionUrl), *work + L"unioncfg.dat", &ignored, nullptr, 300);
  }
  TwDumpMgr::Instance().SetCompanyId(static_cast<uint32_t>(cid));
  TwDumpMgr::Instance().SetTrialId(static_cast<uint32_t>(tid));
  const int result = InitCore(cid, tid);
  m_report.ReportStep(road::kStepInitialised, result, 0);
  return result == 0 ? 1 : 0;
}

void TwMain::SetIdentity() {
  const std::wstring idex = GetIdex();
  const std::wstring did = GetDid();
  m_report.SetIdentity(m_cid, m_tid, idex, did);
  m_report.SetOsCode(GetOsCode());
  m_identity = {m_cid, m_tid, idex, did};
}

int TwMain::InitCore(int cid, int tid) {
  (void)TwLog::Instance().Start(TwLog::DefaultPath());
  LogWrite("TwMain::_Init nCompanyID = %d nTrynoID = %d", cid, tid);
  if (cid <= 0 || tid <= 0) {
    cid = 1;
    tid = 1;
  }
  m_cid = cid;
  m_tid = tid;
  SetIdentity();
  m_report.ReportStep(road::kStepStart, road::kOk, 0);
  Log(L"检测器启动");
  Log(L"加载配置开始  m_nCompanyID = " + std::to_wstring(m_cid) + L" m_nTrynoID = " + std::to_wstring(m_tid));
  int result = road::CodeOf(m_config.Load(m_cid));
  Log(L"加载配置结束 nRet = " + std::to_wstring(result));
  if (result != 0) {
    Log(L"加载配置失败!");
  } else {
    Log(L"匹配渠道配置开始");
    result = SelectNode();
    Log(L"匹配渠道配置结束  nRet = " + std::to_wstring(result));
    if (result != 0) {
      Log(L"匹配配置失败!");
    } else {
      RemoveStalePartials();
      (void)m_report_thread.Start(this, &TwMain::SendProcessReport);  // the report is optional
    }
  }
  if (result != 0) Uninit();
  return result;
}

void TwMain::SendProcessReport() {
  if (m_report_thread.StopRequested()) return;
  (void)TwInstallTool::TwProcessInfoReport().Send(static_cast<uint32_t>(m_cid), static_cast<uint32_t>(m_tid),
                                                  GetIdex());
}

int TwMain::SelectNode() {
  m_node = m_config.GetTrynoNode(m_tid);
  if (m_node == nullptr) return road::kNoTrialNode;
  m_report.SetPackageVersion(m_node->version);
  m_packages = m_node->packages;
  for (PackageEntry& entry : m_packages) {
    if (!entry.IsUsable()) return road::kUnusableEntry;
    if (!IsInAbRange(entry.abtestrange, m_draw)) continue;
    std::wstring path = Wide(entry.path);
    if (!ExpandPathMacros(path)) return road::kPathWithoutMacro;
    // The configuration names the file; it is written, verified and started
    // in the work folder, which no other process of the user can change.
    if (m_work.empty()) m_work = win::WorkFolder().value_or(L"");
    if (m_work.empty()) {
      Log(L"工作目录不可用: " + path);
      return road::kWorkFolderUnavailable;
    }
    entry.path = win::WideToAnsi(m_work + FileNameOf(path));
  }
  return 0;
}

int TwMain::RunDetector(int actionBits) {
  LogWrite("_RunDetector start nAction = %d", actionBits);
  if ((actionBits & kCheckAndDownload) && !CheckAndDownload()) return 0;
  if ((actionBits & kVerify) && !Verify()) return 0;
  if (actionBits & kInstall) {
    m_final.button = FinalRecord::kLaunchStarted;
    m_final.completion = FinalRecord::kCompleted;
    if (!Install()) return 0;
  }
  LogWrite("_RunDetector end nAction = %d", actionBits);
  return 1;
}

bool TwMain::CheckAndDownload() {
  m_report.ReportStep(road::kStepCheckBegins, road::kOk, 0);
  Log(L" 检测安装环境开始");
  const int environment = CheckEnvironment();
  m_report.ReportStep(road::kStepChecked, environment, 0);
  Log(L" 检测安装环境结束 nRet = " + std::to_wstring(environment));
  if (environment != 0) {
    Log(L"安装条件不符!");
    return false;
  }
  Log(L" 下载安装包开始");
  m_report.ReportStep(road::kStepDownloadBegins, road::kOk, 0);
  const int downloaded = DownloadPackages();
  Log(L" 下载安装包结束 nRet = " + std::to_wstring(downloaded));
  if (downloaded != 0) {
    Log(L"下载安装包失败!");
    return false;
  }
  return true;
}

int TwMain::CheckEnvironment() {
  if (m_node == nullptr) return road::kCheckWithoutNode;
  const int condition = road::CodeOf(m_config.CheckInstallCondition(m_node->condition.c_str()));
  if (condition != 0) return condition;
  if (m_node->interval == 0) return 0;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (const auto time = UninstallTime(HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus")) {
    return (now - *time) / 86400 < m_node->interval ? road::kUninstalledRecently : road::kOk;
  }
  if (const auto time = UninstallTime(HKEY_CLASSES_ROOT, kIdexKey)) {
    return (now - *time) / 86400 < m_node->interval ? road::kUninstalledRecentlySecond : road::kOk;
  }
  return 0;
}

void TwMain::RemoveStalePartials() {
  if (m_work.empty()) return;
  std::vector<std::wstring> wanted;
  for (const PackageEntry& entry : m_packages) wanted.push_back(PartialFileName(Wide(entry.md5)));
  RemoveStalePartialFiles(m_work, wanted, kPartialFileDays * 86400);
}

bool TwMain::ApplicableAt(const PackageEntry& entry) const { return IsInAbRange(entry.abtestrange, m_draw); }

int TwMain::ReportIfSkipped(const PackageEntry& entry, int index, int step, int outsideRange) {
  if (entry.IsUsable() && ApplicableAt(entry)) return 0;
  const int code = entry.IsUsable() ? outsideRange : road::kUnusableEntry;
  m_report.ReportStep(step, code, index);
  return code;
}

std::wstring TwMain::CachedPath(int index) const {
  return m_work.empty() ? L"" : ReadCachedDownload(PackageCacheValueName(m_cid, m_tid, index), m_work);
}

int TwMain::DownloadSinglePacket(const PackageEntry& entry, int index, int& transferError) {
  const std::wstring url = Wide(entry.url);
  const std::wstring file = Wide(entry.path);
  if (url.empty() || file.empty()) return road::kPackageUrlOrFileEmpty;
  // Fetched into its partial file, which a later run (of any copy) continues
  // when this one ends early; whole, it takes the package's name. An MD5
  // that is not 32 hexadecimal digits names no partial file: that package
  // is fetched whole under its own name, and its verification fails as before.
  const std::wstring partialName = PartialFileName(Wide(entry.md5));
  const std::wstring partial = partialName.empty() ? file : m_work + partialName;
  const PartialBytes keep = partialName.empty() ? PartialBytes::kDelete : PartialBytes::kKeep;
  DownloadOutcome outcome;
  const DownloadFileResult fetched =
      DownloadFile(url, partial, &transferError, m_progress, entry.downloadtime, keep, &outcome);
  int result = road::CodeOf(fetched);
  if (fetched == DownloadFileResult::kFailed && transferError == kTransferTimedOut && entry.sd > 0 &&
      IsInternetReachable()) {
    m_report.ReportDetail(road::kDetailStepDownload, road::kDetailTimedOutTryingResumable, kTransferTimedOut, index,
                          L"");
    transferError = 0;
    result = road::CodeOf(
        TwCurlDownloader().Download(url, partial, &transferError, m_progress, keep == PartialBytes::kKeep));
  }
  if (fetched == DownloadFileResult::kWebPage) {
    const std::wstring page = Wide(outcome.contentType) + L" " + std::to_wstring(outcome.announced);
    m_report.ReportDetail(road::kDetailStepDownload, road::kDetailWebPage, 200, index, page.c_str());
    return result;
  }
  const int64_t whole = result == 0 ? win::FileSize(partial).value_or(0) : 0;
  // Bytes an earlier run fetched, and bytes this run fetched (a failed run's
  // stay for the next; their count is in the next record).
  const std::wstring counts = L"continued=" + std::to_wstring(outcome.continued) + L" fetched=" +
                              std::to_wstring(std::max<int64_t>(0, whole - outcome.continued));
  m_report.ReportDetail(road::kDetailStepDownload, road::kDetailContinued, result, index, counts.c_str());
  if (result != 0 || partial == file) return result;
  ForgetPartialRecord(partial);
  if (!::MoveFileExW(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    LogWrite("DownloadSinglePacket: the whole file kept its partial name (error %lu)", ::GetLastError());
    return road::kFileMissingAfterDownload;
  }
  return 0;
}

int TwMain::DownloadPackages() {
  if (m_node == nullptr) {
    m_report.ReportStep(road::kStepDownloaded, road::kNoUsableNode, 0);
    return road::kNoUsableNode;
  }
  bool any = false;
  int lastFailure = 0;
  m_downloaded.assign(m_packages.size(), false);
  for (size_t i = 0; i < m_packages.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    const PackageEntry& entry = m_packages[i];
    if (const int skipped = ReportIfSkipped(entry, index, road::kStepDownloaded, road::kOutsideRangeDownload)) {
      lastFailure = skipped;
      continue;
    }
    if (m_hooks.silent() && entry.delaytime > 0) m_hooks.sleep(static_cast<DWORD>(entry.delaytime) * 60000);
    LogWrite("CheckInstallCondition_begin: condition = %s", entry.condition.c_str());
    const int condition = road::CodeOf(m_config.CheckInstallCondition(entry.condition.c_str()));
    LogWrite("CheckInstallCondition_end: condition = %s, return = %d", entry.condition.c_str(), condition);
    if (condition != 0) {
      lastFailure = condition;
      m_report.ReportStep(road::kStepDownloaded, condition, index);
      continue;
    }
    const std::wstring cached = CachedPath(index);
    if (!cached.empty() && VerifyFileMd5(cached, Wide(entry.md5))) {
      any = true;
      m_report.ReportStep(road::kStepDownloaded, road::kOk, index);
      continue;
    }
    LogWrite("_DownloadSinglePacket_begin: url = %s,md5 = %s,file = %s", entry.url.c_str(), entry.md5.c_str(),
             entry.path.c_str());
    int transferError = 0;
    const int result = DownloadSinglePacket(entry, index, transferError);
    if (result == 0) {
      LogWrite("_DownloadSinglePacket_end: url = %s,md5 = %s,file = %s,errorcode = %d", entry.url.c_str(),
               entry.md5.c_str(), entry.path.c_str(), 0);
      CacheDownload(PackageCacheValueName(m_cid, m_tid, index), Wide(entry.path), CacheKey::kOpenOnly);
      any = true;
      m_downloaded[i] = true;
      m_report.ReportStep(road::kStepDownloaded, road::kOk, index);
    } else {
      LogWrite("_DownloadSinglePacket_end: url = %s,md5 = %s,errorcode = %d", entry.url.c_str(), entry.md5.c_str(),
               result);
      RemovePackage(Wide(entry.path));
      m_report.ReportDetail(road::kDetailStepDownload, road::kDetailResumableFailed, transferError, index, L"");
      m_report.ReportStep(road::kStepDownloaded, result, index);
      lastFailure = result;
      m_download_failure = result;
    }
  }
  return any ? 0 : lastFailure;
}

bool TwMain::Verify() {
  m_report.ReportStep(road::kStepVerifyBegins, road::kOk, 0);
  Log(L" 校验安装包md5开始");
  if (m_node == nullptr) {
    m_report.ReportStep(road::kStepVerified, road::kNoUsableNode, 0);
    return false;
  }
  bool any = false;
  std::vector<std::wstring> mismatched;
  m_held.clear();
  m_held.resize(m_packages.size());
  for (size_t i = 0; i < m_packages.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    const PackageEntry& entry = m_packages[i];
    if (ReportIfSkipped(entry, index, road::kStepVerified, road::kOutsideRangeVerify) != 0) continue;
    const std::wstring cached = CachedPath(index);
    const std::wstring file = cached.empty() ? Wide(entry.path) : cached;
    m_held[i] = HoldVerified(file, Wide(entry.md5));
    const bool ok = m_held[i].IsHeld();
    m_report.ReportStep(road::kStepVerified, ok ? road::kOk : road::kMd5Mismatch, index);
    if (!ok && i < m_downloaded.size() && m_downloaded[i]) mismatched.push_back(file);
    any = any || ok;
  }
  // A package this run downloaded that is not the one published is of no
  // use to anyone. When the road ends here it goes now, like a failed
  // download; otherwise the install step reports it (305) and removes it
  // then. Files of packages this run skipped (their condition, a cache that
  // no longer verifies) are left as they are.
  if (!any) {
    for (const std::wstring& file : mismatched) RemovePackage(file);
  }
  Log(L" 校验安装包md5结束 nRet = " + std::to_wstring(any ? 0 : road::kMd5Mismatch));
  if (!any) Log(L"校验安装包失败");
  return any;
}

bool TwMain::Install() {
  Log(L" 加载安装包开始");
  m_report.ReportStep(road::kStepInstallBegins, road::kOk, 0);
  if (m_node == nullptr) {
    m_report.ReportStep(road::kStepInstalled, road::kNoNodeAtInstall, 0);
    return false;
  }
  bool any = false;
  m_held.resize(m_packages.size());
  for (size_t i = 0; i < m_packages.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    PackageEntry& entry = m_packages[i];
    if (ReportIfSkipped(entry, index, road::kStepInstalled, road::kOutsideRangeInstall) != 0) continue;
    const int condition = road::CodeOf(m_config.CheckInstallCondition(entry.condition.c_str()));
    if (condition != 0) {
      m_report.ReportStep(road::kStepInstalled, condition, index);
      continue;
    }
    const PackageCommandLine line =
        BuildPackageCommandLine(win::WideToAnsi(m_prefix), win::WideToAnsi(m_install_path),
                                reinterpret_cast<uintptr_t>(m_window), entry.noshowinstalldlg, entry.param);
    m_no_install_dialog = line.noInstallDialog;
    entry.param = line.text;
    const std::wstring cached = CachedPath(index);
    if (!cached.empty()) entry.path = win::WideToAnsi(cached);
    const std::wstring file = Wide(entry.path);
    win::HeldFile& held = m_held[i];
    if (!held.IsHeld() || held.Path() != file) held = win::HeldFile::Hold(file);
    if (!VerifyHeldMd5(held, Wide(entry.md5))) {
      held.Release();
      m_report.ReportStep(road::kStepInstalled, road::kMd5MismatchAtInstall, index);
      // Unless another entry names the same file (it may be its package).
      bool shared = false;
      for (size_t j = 0; j < m_packages.size(); ++j) {
        shared =
            shared || (j != i && (Wide(m_packages[j].path) == file || CachedPath(static_cast<int>(j) + 1) == file));
      }
      if (!shared) RemovePackage(file);
      continue;
    }
    if (m_hooks.beforeLaunch) m_hooks.beforeLaunch(file);
    // What starts is the held file, by the name its handle has now, and only
    // when that name still leads to it: its folder may have been renamed and
    // another file put in its place. Then nothing starts and nothing there is
    // deleted: that file is not ours.
    const std::wstring verified = held.FinalPath();
    TwInstallLoader loader;
    loader.SetReportSink(kInstallReportSinkId, &m_report);
    int code;
    if (!held.IsAt(verified)) {
      Log(L"安装包已不在校验时的位置，不启动: " + file);
      code = road::kPackageMovedBeforeStart;
      held.Release();
    } else if (!loader.Prepare(Wide(entry.moduletype), verified, Wide(entry.param), Wide(entry.funcname),
                               Wide(entry.initfuncname), Wide(entry.uninitfuncname), entry.show, 0)) {
      code = road::kLauncherRefused;
      held.Release();
      RemovePackage(verified);
    } else {
      code = loader.Run(index);
      held.Release();  // started (or its entry function returned): the file may go
      if (entry.ndp == 0) RemovePackage(verified);
    }
    m_report.ReportStep(road::kStepInstalled, code, index);
    any = any || code == 0;
  }
  m_held.clear();
  FillReportValues(m_config.ReportMap(), m_node->reid, m_values);
  m_reid = m_node->reid;
  m_report.SetLaunchValues(m_values.tid1, m_values.tid2, m_values.tod1, m_values.tod2, static_cast<uint8_t>(m_reid));
  Log(L" 加载安装包结束 nRet = " + std::to_wstring(any ? 0 : 1));
  if (!any) Log(L"执行安装失败!");
  return any;
}

int TwMain::Uninit() {
  StopReportThread();
  m_cid = -1;
  m_tid = -1;
  m_node = nullptr;
  if (!m_abandoned) TwLog::Instance().Stop();
  return 1;
}

int TwMain::CheckCondition(int conditionId) {
  m_report.ReportStep(road::kStepConditionBegins, road::kOk, 0);
  const TwItemNode* item = m_config.GetConditionItem(conditionId);
  const int result = item == nullptr ? road::kConditionNotFound
                                     : road::CodeOf(m_config.CheckInstallCondition(item->Expression().c_str()));
  m_report.ReportStep(road::kStepConditionChecked, result, 0);
  return result == 0 ? 1 : 0;
}

}  // namespace tw
