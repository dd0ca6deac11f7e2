#include "install/install_rules.h"

#include <cstdio>
#include <vector>

namespace tw {
namespace {

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

long LeadingNumber(std::string_view text) {
  long value = 0;
  for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000; ++i) {
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

bool IsInAbRange(std::string_view range, int draw) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= range.size()) {
    size_t end = range.find(',', start);
    if (end == std::string_view::npos) end = range.size();
    std::string_view piece = range.substr(start, end - start);
    // Operators write "30, 60": blanks before a number are not part of it.
    while (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) piece.remove_prefix(1);
    if (!piece.empty()) pieces.push_back(piece);
    start = end + 1;
  }
  if (pieces.size() < 2 || (!AllDigits(pieces[0]) && !AllDigits(pieces[1]))) return true;
  return LeadingNumber(pieces[0]) <= draw && draw <= LeadingNumber(pieces[1]);
}

PackageCommandLine BuildPackageCommandLine(const std::string& prefix, const std::string& installPath, uintptr_t window,
                                           int32_t noInstallDialog, const std::string& param) {
  char hwnd[24];
  std::snprintf(hwnd, sizeof hwnd, "%lx", static_cast<unsigned long>(window));
  std::string text = "/autoinstall ##silence=0&installpath=\"" + installPath + "\"&hwnd=" + hwnd;
  if (!prefix.empty()) text = prefix + " " + text;
  text += "&noshowinstalldlg=" + std::to_string(noInstallDialog);
  if (!param.empty()) text += "&" + param;
  return PackageCommandLine{text, noInstallDialog};
}

std::wstring PackageCacheValueName(int cid, int tid, int index) {
  return L"PacketPath_" + std::to_wstring(cid) + L"_" + std::to_wstring(tid) + L"_" + std::to_wstring(index);
}

std::optional<uint32_t> FirstActiveSession(const std::vector<SessionState>& sessions) {
  for (const SessionState& session : sessions) {
    if (session.active) return session.id;
  }
  return std::nullopt;
}

bool HasLinkedTokens(uint32_t majorVersion) { return majorVersion >= 6; }

}  // namespace tw
