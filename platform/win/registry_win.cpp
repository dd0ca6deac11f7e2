#include "platform/win/registry_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/text.h"

namespace tw::win {

REGSAM WithView(REGSAM access, RegistryView view) noexcept {
  switch (view) {
    case RegistryView::kView32: return access | KEY_WOW64_32KEY;
    case RegistryView::kView64: return access | KEY_WOW64_64KEY;
    default: return access;
  }
}

HKEY ShortRegistryRoot(const std::wstring& name) noexcept {
  if (EqualsNoCase(name, L"hkcr")) return HKEY_CLASSES_ROOT;
  if (EqualsNoCase(name, L"hkcu")) return HKEY_CURRENT_USER;
  if (EqualsNoCase(name, L"hklm")) return HKEY_LOCAL_MACHINE;
  if (EqualsNoCase(name, L"hkus")) return HKEY_USERS;
  return nullptr;
}

UniqueRegKey OpenRegKey(HKEY root, const std::wstring& subkey, REGSAM access, RegistryView view) noexcept {
  UniqueRegKey key;
  if (::RegOpenKeyExW(root, subkey.c_str(), 0, WithView(access, view), key.Put()) != ERROR_SUCCESS) {
    key.Release();  // a failed open may leave garbage in the out-parameter
  }
  return key;
}

bool RegKeyExists(HKEY root, const std::wstring& subkey, RegistryView view) noexcept {
  return OpenRegKey(root, subkey, KEY_READ, view).IsValid();
}

UniqueRegKey CreateRegKey(HKEY root, const std::wstring& subkey, REGSAM access, RegistryView view) noexcept {
  UniqueRegKey key;
  if (::RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, WithView(access, view), nullptr, key.Put(), nullptr) !=
      ERROR_SUCCESS) {
    key.Release();
  }
  return key;
}

bool WriteRegString(HKEY key, const wchar_t* valueName, const std::wstring& text) noexcept {
  return ::RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegValueExists(HKEY key, const wchar_t* valueName) noexcept {
  return ::RegQueryValueExW(key, valueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring RegValue::Text() const {
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || data.size() < sizeof(wchar_t)) return {};
  std::wstring text(data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

std::optional<DWORD> RegValue::Number() const {
  if (type != REG_DWORD || data.size() < sizeof(DWORD)) return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, data.data(), sizeof number);
  return number;
}

std::optional<RegValue> ReadRegValue(HKEY key, const wchar_t* valueName, DWORD maxBytes) {
  RegValue value;
  value.data.assign(maxBytes + 2, 0);
  DWORD bytes = maxBytes;
  if (::RegQueryValueExW(key, valueName, nullptr, &value.type, value.data.data(), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;  // including a value larger than `maxBytes`
  }
  value.data.resize(bytes + 2, 0);
  return value;
}

std::optional<std::wstring> ReadRegString(HKEY key, const wchar_t* valueName) {
  DWORD type = 0;
  DWORD bytes = 0;
  if (::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  // One spare character so a value stored without its terminator still ends.
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
  DWORD capacity = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &capacity) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  buffer[capacity / sizeof(wchar_t)] = L'\0';
  return std::wstring(buffer.data());
}

std::optional<std::wstring> ReadRegStringStrict(HKEY key, const wchar_t* valueName, DWORD maxChars) {
  std::vector<wchar_t> buffer(maxChars + 1, L'\0');
  DWORD type = 0;
  DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || bytes < sizeof(wchar_t) || bytes % sizeof(wchar_t) != 0) {
    return std::nullopt;
  }
  const size_t units = bytes / sizeof(wchar_t);
  if (buffer[units - 1] != L'\0') return std::nullopt;
  return std::wstring(buffer.data());
}

std::optional<DWORD> ReadRegDword(HKEY key, const wchar_t* valueName) noexcept {
  DWORD type = 0;
  DWORD value = 0;
  DWORD bytes = sizeof value;
  if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof value) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::wstring> ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD maxBytes) {
  // Room for the terminator the system adds to a value stored without one
  // (Wine does, and then asks for the room); the text itself must fit.
  const DWORD capacity = maxBytes + sizeof(wchar_t);
  std::vector<wchar_t> buffer(capacity / sizeof(wchar_t) + 1, L'\0');
  DWORD type = 0;
  DWORD bytes = capacity;
  if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  const size_t units = std::min(bytes, capacity) / sizeof(wchar_t);
  size_t length = 0;
  while (length < units && buffer[length] != L'\0') ++length;
  if (length * sizeof(wchar_t) > maxBytes) return std::nullopt;
  return std::wstring(buffer.data(), length);
}

bool AnySubkeyName(HKEY key, const std::function<bool(std::wstring_view)>& matches) {
  constexpr DWORD kMaxKeyName = 256;  // 255 characters and the terminator
  wchar_t name[kMaxKeyName];
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxKeyName;
    const LONG result = ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;
    if (result != ERROR_SUCCESS) return false;  // no more items, or a key that cannot be read
    if (matches(std::wstring_view(name, length))) return true;
  }
}

}  // namespace tw::win
