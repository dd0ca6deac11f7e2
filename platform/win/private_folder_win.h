// Folders in the machine's data that only its own accounts can change: where
// the elevated installer writes, verifies and starts what it downloads, and
// keeps its records. %TEMP% and the download folder belong to the user, and
// so does any folder a standard user made first in %ProgramData%: any of the
// user's processes could put a link there or swap a file between the
// installer's check and its use.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/folder_trust.h"

namespace tw::win {

// What the system says of the item at `path`, read from a handle opened on
// the name itself (never through a link).
FolderFacts ReadFolderFacts(const std::wstring& path);

// SYSTEM, Administrators, TrustedInstaller and whoever owns Windows' system
// folder. That owner is TrustedInstaller on Windows; under Wine every file
// belongs to the one account Wine runs as, and that account is the machine's.
const std::vector<std::wstring>& MachineAccounts();

// Makes each of base\levels[0] ... \levels[n-1] a folder only the machine's
// accounts can change, and gives the last one's path with its backslash.
// A missing level is made: the first with what `base` passes on (others may
// add files, never take it over), the rest with a protected access list
// (SYSTEM and Administrators, nothing inherited). A level that is not
// trusted is moved aside ("<name>.untrusted-<n>", nothing in it deleted)
// and made anew. Nothing when a level cannot be made trusted (logged): a
// link the system cannot move by itself (Wine moves what a link leads to),
// or a folder that cannot be moved or made. `base` (%ProgramData%) is the
// machine's own and is not judged.
[[nodiscard]] std::optional<std::wstring> PrepareTrustedFolders(const std::wstring& base,
                                                                const std::vector<std::wstring>& levels);

// %ProgramData%\Tarnwick\TwInstall\ (the kept records), prepared as above.
[[nodiscard]] std::optional<std::wstring> MachineFolder();
// Its Work\ folder: downloads, partial files, the newer copy of the
// installer and the product's installer are written, verified and started
// there.
[[nodiscard]] std::optional<std::wstring> WorkFolder();

}  // namespace tw::win
