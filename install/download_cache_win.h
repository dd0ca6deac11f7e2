// Where earlier runs left verified downloads (the package cache
// "PacketPath_<cid>_<tid>_<index>" and the newer installer's "UiExePath"):
// string values beside the device identifier, in the machine's own class
// registrations, HKLM\SOFTWARE\Classes. Never the merged HKEY_CLASSES_ROOT:
// it prefers the user's own HKCU\Software\Classes, where any process of the
// user could name a file for the elevated installer to verify, delete or
// start.
#pragma once

#include <string>

namespace tw {

// The path cached under `name`, only when it names a file directly in
// `folder` (the private work folder, with its backslash): a path anywhere
// else was not left there by this installer and is not believed (logged).
// Empty when there is none.
std::wstring ReadCachedDownload(const std::wstring& name, const std::wstring& folder);

// Whether caching may make the key when it is missing: the package cache
// only opens it (the product family's registration makes it); the newer
// copy's cache makes it.
enum class CacheKey { kOpenOnly, kCreate };

// Caches `path` under `name`.
void CacheDownload(const std::wstring& name, const std::wstring& path, CacheKey key);

}  // namespace tw
