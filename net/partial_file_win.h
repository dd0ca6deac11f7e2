// A package's partial file in the work folder and the record beside it
// ("<file>.txt", net/partial_download.h): opened to continue what an
// earlier run fetched when the server still describes the same file, else
// emptied; kept when a transfer ends early; its record removed once the
// file is whole.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "net/partial_download.h"
#include "platform/win/unique_handle_win.h"

namespace tw {

// `path` opened for writing, never through a link, positioned to continue
// `now`: at the end of the bytes kept when the record describes `now`
// (`from` gets their count), otherwise emptied (`from` 0). The record is
// written for `now` either way. Invalid when the file cannot be opened.
win::UniqueFile OpenPartialFile(const std::wstring& path, const ServedFile& now, int64_t& from);

// Back to an empty file at offset 0 (the server sent the whole file).
void EmptyPartialFile(HANDLE file);

// Removes the record of `path` (the file is whole, or not worth keeping).
void ForgetPartialRecord(const std::wstring& path);

// Partial files in `folder` (with its backslash) and their records that no
// package of `wanted` (their partial file names) will continue, or that were
// last written more than `maxAgeSeconds` ago: removed, so that packages
// given up on do not fill the volume.
void RemoveStalePartialFiles(const std::wstring& folder, const std::vector<std::wstring>& wanted,
                             int64_t maxAgeSeconds);

}  // namespace tw
