// Reading and writing registry values with the view chosen explicitly: the
// installer is a 32-bit process and must say which view it means.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/unique_handle_win.h"

namespace tw::win {

enum class RegistryView { kDefault, kView32, kView64 };

REGSAM WithView(REGSAM access, RegistryView view) noexcept;

// "hkcr", "hkcu", "hklm", "hkus" (any case), as configuration documents name
// roots; null for anything else, long names included.
HKEY ShortRegistryRoot(const std::wstring& name) noexcept;

// Opens an existing key; an invalid handle when it cannot be opened.
UniqueRegKey OpenRegKey(HKEY root, const std::wstring& subkey, REGSAM access, RegistryView view) noexcept;
bool RegKeyExists(HKEY root, const std::wstring& subkey, RegistryView view) noexcept;
// Opens the key, made (with its parents) when missing; an invalid handle
// when it can be neither opened nor made.
UniqueRegKey CreateRegKey(HKEY root, const std::wstring& subkey, REGSAM access, RegistryView view) noexcept;

// Stores `text` as a REG_SZ value, with its terminator.
[[nodiscard]] bool WriteRegString(HKEY key, const wchar_t* valueName, const std::wstring& text) noexcept;

// Whether the value exists, whatever its type and size.
bool RegValueExists(HKEY key, const wchar_t* valueName) noexcept;

// A value of any type whose data fits in `maxBytes` (a larger one is
// absent), followed by two zero bytes so that a string stored without its
// terminator still ends.
struct RegValue {
  DWORD type = 0;
  std::vector<BYTE> data;

  // The text of a string value up to its first NUL; empty for other types.
  std::wstring Text() const;
  // The number of a REG_DWORD value.
  std::optional<DWORD> Number() const;
};
std::optional<RegValue> ReadRegValue(HKEY key, const wchar_t* valueName, DWORD maxBytes);

// A REG_SZ or REG_EXPAND_SZ value (unexpanded), tolerating values stored
// without their terminator; nothing when absent or of another type.
std::optional<std::wstring> ReadRegString(HKEY key, const wchar_t* valueName);
// A string of at most `maxChars` characters that is stored with its
// terminator; anything longer, unterminated or of another type is absent.
std::optional<std::wstring> ReadRegStringStrict(HKEY key, const wchar_t* valueName, DWORD maxChars);
std::optional<DWORD> ReadRegDword(HKEY key, const wchar_t* valueName) noexcept;
// A REG_SZ value whose text (its terminator aside) fits in `maxBytes`,
// ended inside its buffer whether it was stored with its terminator or not
// (an odd last byte, half a character, is dropped); anything larger or of
// another type is absent.
std::optional<std::wstring> ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD maxBytes);

// True at the first subkey name `matches` accepts. Names too long for a key
// name are skipped; any other error ends the walk (false), so a key that
// fails for ever cannot hold the caller.
bool AnySubkeyName(HKEY key, const std::function<bool(std::wstring_view)>& matches);

}  // namespace tw::win
