#include "app/channel_info.h"

#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/text.h"

namespace tw {
namespace {

// The file name's pieces between '_' separators, from the name cut before
// its first ".exe" (case-sensitive). No ".exe" means the name says nothing.
std::vector<std::wstring_view> FileNamePieces(std::wstring_view modulePath) {
  const size_t slash = modulePath.find_last_of(L'\\');
  std::wstring_view name = slash == std::wstring_view::npos ? modulePath : modulePath.substr(slash + 1);
  const size_t exe = name.find(L".exe");
  std::vector<std::wstring_view> pieces;
  if (exe == std::wstring_view::npos) return pieces;
  name = name.substr(0, exe);
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find(L'_', start);
    if (end == std::wstring_view::npos) end = name.size();
    if (end > start) pieces.push_back(name.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

int SwitchInt(const SwitchMap& switches, const wchar_t* name, int fallback) {
  const auto it = switches.find(name);
  return it == switches.end() ? fallback : ParseLeadingInt(it->second);
}

}  // namespace

bool GetChannelInfo(std::wstring_view commandLine, std::wstring_view modulePath, ChannelInfo& info) {
  info = ChannelInfo{};
  const SwitchMap switches = ParseSwitches(commandLine);
  info.cid = SwitchInt(switches, L"cid", -1);
  info.tid = SwitchInt(switches, L"tid", -1);
  info.action = SwitchInt(switches, L"action", -1);
  info.waitInstallLoaderTime = SwitchInt(switches, L"waitinstallloadertime", -1);
  if (switches.count(L"silent") != 0) info.silent = true;

  const std::vector<std::wstring_view> pieces = FileNamePieces(modulePath);
  if (info.cid == -1 || info.tid == -1) {
    // The file name wins as a pair: a channel and a trial belong together.
    if (pieces.size() >= 3) {
      info.cid = ParseLeadingInt(pieces[1]);
      info.tid = ParseLeadingInt(pieces[2]);
    }
    if (info.cid == -1 || info.tid == -1) {
      info.cid = 1;
      info.tid = 1;
    }
  }

  bool fileNameSilent = false;
  for (size_t i = 1; i < pieces.size(); ++i) {
    if (EqualsNoCase(pieces[i], L"silent")) fileNameSilent = true;
  }
  if (fileNameSilent) info.silent = true;
  return fileNameSilent;
}

void ApplyDefaultTrial(ChannelInfo& info) noexcept {
  if (info.cid == 1 && info.tid == 1) info.tid = 3;
}

}  // namespace tw
