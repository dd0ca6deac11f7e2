// The install controller's rules that need no operating system: which
// packages the A/B draw admits, the package installer's command line, and
// the names of the package cache values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

namespace tw {

// "30,60": admitted when 30 <= draw <= 60. Fewer than two pieces, or two
// pieces neither of which is all digits, admit every draw.
bool IsInAbRange(std::string_view range, int draw);

struct PackageCommandLine {
  std::string text;         // narrow, in the thread's code page
  int32_t noInstallDialog;  // becomes the controller's flag
};

// [prefix + " "] + /autoinstall ##silence=0&installpath="<path>"&hwnd=<%x>
// + &noshowinstalldlg=<n> [+ &<param>]
PackageCommandLine BuildPackageCommandLine(const std::string& prefix, const std::string& installPath, uintptr_t window,
                                           int32_t noInstallDialog, const std::string& param);

// "PacketPath_<cid>_<tid>_<index>"
std::wstring PackageCacheValueName(int cid, int tid, int index);

// Whose token starts the product installer: the user of the first session
// whose state is active (not the console's: on a remote desktop the user
// sits in another session). Empty when no session is active.
struct SessionState {
  uint32_t id;
  bool active;
};
std::optional<uint32_t> FirstActiveSession(const std::vector<SessionState>& sessions);

// Windows versions on which an administrator's session token is the
// filtered one with the full token linked to it: 6.0 (Vista) and every
// later one, 10 and 11 included.
bool HasLinkedTokens(uint32_t majorVersion);

}  // namespace tw
