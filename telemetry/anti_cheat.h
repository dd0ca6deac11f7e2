// Who started the installer: the executables of its parent, grandparent and
// great-grandparent processes, with their MD5 digests. Reported once, so the
// vendor can tell genuine downloads from repackaged ones.
#pragma once

#include <string>

namespace TwInstallTool {

class TwAntiCheatMgr {
 public:
  // Walks up from `processId` (0: this process); stops at a missing
  // ancestor, ids 0, 4 and 8 are never opened.
  void Collect(unsigned long processId = 0);

  std::wstring directories[3];  // up to and including the last backslash
  std::wstring md5s[3];         // upper-case hexadecimal
};

}  // namespace TwInstallTool
