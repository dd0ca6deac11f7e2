// Names in folders another process of the user can write (%TEMP%, the
// download folder) may be links that lead the elevated installer to a file
// it never chose. A link is never written, deleted or renamed: Windows
// deletes or renames a link itself, but Wine deletes or renames what it
// leads to, so the only move that is safe everywhere is to leave it alone.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

// Where an open file is, asked of its handle ("C:\x", "\\host\share\x");
// empty when the system cannot say.
std::wstring FinalPathOf(HANDLE file);

// True when the open `file` is the item named `path` itself, as its handle
// says: the name's folder and last step. A link Windows opened as itself
// (FILE_FLAG_OPEN_REPARSE_POINT) names itself; a Unix link Wine followed
// names what it leads to.
bool NamesItself(HANDLE file, const std::wstring& path);

// True when the open `file`, opened by `path`, is a link itself or was
// reached through one at the name's last step: it is not the file named
// `path` in `path`'s folder. Links in the folders above are the machine's
// own business and are not refused.
bool OpenedThroughLink(HANDLE file, const std::wstring& path);

// True when `path` exists and is a link (or leads through one, as above).
bool IsLinkAt(const std::wstring& path);

// The file at `path` opened for appending (created when absent), never
// through a link: invalid when a link (dangling or not) holds the name, or
// the file cannot be opened.
UniqueFile OpenForAppendNotThroughLink(const std::wstring& path);

// Opens a new file at `path` for writing, never through a link: a name that
// exists (a file, or a link planted there) makes it fail.
UniqueFile CreateNewNotThroughLink(const std::wstring& path, DWORD access, DWORD share);

}  // namespace tw::win
