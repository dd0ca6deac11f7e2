// A downloaded file whose MD5 is checked on the bytes of a held handle, so
// that the file verified is the file that runs: between the check and the
// start nobody can write, rename or delete it.
#pragma once

#include <string>

#include "platform/win/held_file_win.h"

namespace tw {

// True when the held file's bytes have the MD5 `expected` (any letter case).
[[nodiscard]] bool VerifyHeldMd5(const win::HeldFile& file, const std::wstring& expected);

// Holds `path` and checks it; the file stays held when it matches, and is
// let go (a not-held result) when it does not or cannot be held.
win::HeldFile HoldVerified(const std::wstring& path, const std::wstring& expected);

}  // namespace tw
