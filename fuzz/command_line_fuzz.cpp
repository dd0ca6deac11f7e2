// Any text may reach the switch grammar: a renamed download, a shortcut, a
// caller's typo. It must parse without crashing or reading out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/channel_info.h"
#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Bytes become UTF-16 code units, as the Windows command line is.
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const size_t split = text.find(L'|');
  const std::wstring commandLine = text.substr(0, split);
  const std::wstring modulePath = split == std::wstring::npos ? L"setup.exe" : text.substr(split + 1);

  tw::ParseSwitches(commandLine);
  tw::ChannelInfo info;
  tw::GetChannelInfo(commandLine, modulePath, info);
  tw::ApplyDefaultTrial(info);
  if (info.cid == -1 || info.tid == -1) __builtin_trap();  // a channel is always known
  return 0;
}
