// The installer runs elevated from folders other programs can write (a
// Downloads folder collects files), so no library may come from beside it
// or from the current directory: every library it loads after start comes
// from the system directory.
#pragma once

#include <windows.h>

namespace tw::win {

// Narrows the process's default library search to the system directory,
// takes the current directory out of it and sends every delay-loaded
// import there. Called first thing in the entry point. False when the
// system lacks the default-directory functions (loads by our own hand still
// use full system paths).
[[nodiscard]] bool RestrictLibrarySearch() noexcept;

// Loads, from the system directory, the libraries that Windows' own
// libraries load later in ways the default directories do not govern, so
// that those loads find them in the process already: Wine's GDI+ loads the
// imaging codecs (and they the property system) through a search that
// starts beside the program. Called before GDI+ starts and before the work
// that follows the first frame; loading them again costs nothing.
void PreloadSystemLibraries() noexcept;

// Loads a library of Windows by its file name from the system directory
// only; null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept;
HMODULE LoadSystemLibrary(const char* fileName) noexcept;

// Loads a library the program's manifest binds to a version of its own
// (comctl32 6.0, kept apart from the system directory's 5.8): by its bare
// name with the search narrowed to the system directory, so that the
// binding picks the copy and nothing beside the program can; where the
// narrowed search does not exist, the system directory's own copy.
HMODULE LoadManifestBoundLibrary(const wchar_t* fileName) noexcept;

}  // namespace tw::win
