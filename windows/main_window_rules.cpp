#include "windows/main_window_rules.h"

#include <algorithm>
#include <cwchar>

#include "install/road_codes.h"
#include "platform/text.h"

namespace tw {

std::wstring SpeedText(int bytes_per_ms) {
  wchar_t text[32];
  if (bytes_per_ms <= 1024) std::swprintf(text, 32, L"%dK", bytes_per_ms);
  else std::swprintf(text, 32, L"%.1fM", bytes_per_ms / 1024.0);
  return text;
}

std::wstring DownloadProgressText(int percent, int bytes_per_ms, bool continuing) {
  wchar_t text[96];
  std::swprintf(text, 96, continuing ? L"继续下载 %d%%，下载速度 %ls/秒" : L"已下载 %d%%，下载速度 %ls/秒", percent,
                SpeedText(bytes_per_ms).c_str());
  return text;
}

std::wstring InstallProgressText(int percent) {
  wchar_t text[64];
  std::swprintf(text, 64, L"下载完成，正在安装 %d%%", percent);
  return text;
}

bool TooltipOrder::Apply(TooltipKind kind) noexcept {
  if (kind < m_largest) return false;
  m_largest = kind;
  return true;
}

std::wstring TooltipText(TooltipKind kind, int percent) {
  wchar_t text[64];
  switch (kind) {
    case kTipDownloading: std::swprintf(text, 64, L"已下载：%d%%", percent); return text;
    case kTipDownloaded: return L"下载完成，准备安装";
    case kTipDownloadFailed: return L"下载失败";
    case kTipInstalling: std::swprintf(text, 64, L"已安装：%d%%", percent); return text;
    case kTipInstalled: return L"安装成功";
    case kTipInstallFailed: return L"安装失败";
    default: return L"";
  }
}

int NextSimulatedPercent(int percent, const bool (&stages)[5], unsigned random, bool& finished) noexcept {
  static constexpr int kThresholds[5] = {10, 20, 85, 95, 100};
  finished = false;
  int limit = 101;  // past 100 only when every stage was reported
  for (int k = 0; k < 5; ++k) {
    if (stages[k]) continue;
    if (percent >= kThresholds[k]) return percent;  // held until the stage is reported
    // A step never jumps past the next unreported stage: the display holds at
    // exactly 10 %, 20 %, ... as users are told it does.
    if (kThresholds[k] < limit) limit = kThresholds[k];
  }
  percent = std::min(percent + 1 + static_cast<int>(random % 5), limit);
  if (percent > 100) {
    finished = true;
    return 100;
  }
  return percent;
}

FailedPage FailedPageFor(FailedPageKind kind) noexcept {
  switch (kind) {
    case kFailedRebootPending: return {L"卸载Zorn后尚未重启电脑，请重启后再安装", L"退出安装"};
    case kFailedInstall: return {L"安装过程出现异常，请联系客服处理", L"联系客服"};
    case kFailedSignIn: return {L"当前网络需要先登录认证，请在浏览器中登录后重试", L"退出安装"};
    case kFailedNoSpace: return {L"磁盘空间不足，请清理磁盘后重试", L"退出安装"};
    default: return {L"当前网络断开，请稍后重试", L"退出安装"};
  }
}

FailedPageKind FailedPageKindFor(int downloadFailure) noexcept {
  switch (downloadFailure) {
    case road::kWebPageInsteadOfPackage: return kFailedSignIn;
    case road::kNotEnoughSpace: return kFailedNoSpace;
    default: return kFailedNetwork;
  }
}

std::string BannerSkin(unsigned index) { return "mainbg_banner" + std::to_string(index); }

bool IsWebLink(std::wstring_view link) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    const std::wstring_view prefix(scheme);
    if (link.size() <= prefix.size() || !EqualsNoCase(link.substr(0, prefix.size()), prefix)) continue;
    const std::wstring_view rest = link.substr(prefix.size());
    if (rest.front() == L'/' || rest.front() == L'\\') return false;  // no host
    for (wchar_t c : link) {
      if (c <= 0x20 || c == 0x7F || c == L'"' || c == L'\\') return false;
    }
    return true;
  }
  return false;
}

}  // namespace tw
