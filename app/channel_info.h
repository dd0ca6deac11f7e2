// Who distributed this copy: the channel (company) and trial identifiers
// select the install configuration and travel in every telemetry record.
// They come from the command line or, for renamed downloads such as
// "setup_1029_7_silent.exe", from the executable's own file name.
#pragma once

#include <string_view>

namespace tw {

struct ChannelInfo {
  int cid = -1;
  int tid = -1;
  int action = -1;                 // accepted, no effect on the flow
  int waitInstallLoaderTime = -1;  // accepted, no effect on the flow
  bool silent = false;             // the switch or the file name asked for silence
};

// Fills `info` from the command line and the module path. Returns whether
// the file name asked for silence.
bool GetChannelInfo(std::wstring_view commandLine, std::wstring_view modulePath, ChannelInfo& info);

// The channel used when nothing better is known is 1-3, not 1-1.
void ApplyDefaultTrial(ChannelInfo& info) noexcept;

}  // namespace tw
