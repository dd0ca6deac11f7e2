// The union configuration file ("unioncfg.dat") and the text rules of its
// internet-cafe checks, apart from the registry, shell and processes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace anti_cheat {

constexpr unsigned char kConfigMask = 0x3E;

// The XML text inside the container: the magic ".tmp", then every byte
// XOR 0x3E. Nothing for an empty file, a short one or another magic.
std::optional<std::string> UnmaskUnionConfig(std::string_view fileBytes);

// Double quotes, then spaces, trimmed at both ends; then cut just after the
// first ".exe" (case-sensitive), dropping arguments after an executable.
std::wstring ExecutableFromCommand(std::wstring_view text);

// The text without its last path element ("C:\a\b.exe" -> "C:\a\").
std::wstring ParentFolder(const std::wstring& path);

}  // namespace anti_cheat
