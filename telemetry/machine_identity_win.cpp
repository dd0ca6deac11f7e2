#include "telemetry/machine_identity.h"

#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <ctime>

#include "platform/log.h"
#include "platform/tw_md5.h"
#include "platform/win/registry_win.h"
#include "telemetry/identity_keys.h"
#include "platform/win/system_info_win.h"

namespace tw {
namespace {

constexpr wchar_t kLookupKey[] =
    L"HKEY_CLASSES_ROOT\\CLSID\\{8AB9CCC4-75EC-438b-B6C0-D8D78882A12D}\\Implemented Categories\\"
    L"{6BC04964-67B7-4d50-BB9B-3653A5C305B3}";

std::wstring ReadValue(HKEY root, const std::wstring& subkey, const wchar_t* name) {
  const win::UniqueRegKey key = win::OpenRegKey(root, subkey, KEY_READ, win::RegistryView::kView32);
  if (!key) return {};
  return win::ReadRegString(key.Get(), name).value_or(std::wstring());
}

void WriteValues(const wchar_t* subkey, std::initializer_list<std::pair<const wchar_t*, std::wstring>> values) {
  const win::UniqueRegKey key =
      win::CreateRegKey(HKEY_CLASSES_ROOT, subkey, KEY_ALL_ACCESS, win::RegistryView::kView32);
  if (!key) return;  // the identifier is still returned; it is made anew next time
  for (const auto& [name, text] : values) {
    if (!win::WriteRegString(key.Get(), name, text)) LogWrite("MachineIdentity: %ls not stored", name);
  }
}

std::wstring UpperWide(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

std::wstring Md5Text(const std::string& bytes, bool upperCase) {
  uint8_t digest[kMd5Size];
  Md5Buffer(bytes.data(), bytes.size(), digest);
  const std::string hex = Md5Hex(digest, upperCase);
  return std::wstring(hex.begin(), hex.end());
}

SeedPieces GatherSeedPieces() {
  SeedPieces pieces;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  pieces.random = std::rand() & 0x7FFF;
  GUID guid{};
  if (SUCCEEDED(::CoCreateGuid(&guid))) {
    static const GUID kZero{};
    pieces.hasGuid = !IsEqualGUID(guid, kZero);
    pieces.guidData1 = guid.Data1;
    pieces.guidData2 = guid.Data2;
    pieces.guidData3 = guid.Data3;
    for (int i = 0; i < 8; ++i) pieces.guidData4[i] = guid.Data4[i];
  }
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  pieces.millisecond = now.wMilliseconds;
  pieces.minute = now.wMinute;
  pieces.day = now.wDay;
  pieces.year = now.wYear;
  pieces.hour = now.wHour;
  pieces.second = now.wSecond;
  pieces.month = now.wMonth;
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  ::GetComputerNameA(name, &size);
  const std::wstring nameMd5 = Md5Text(std::string(name, size), false);
  pieces.computerNameMd5.assign(nameMd5.begin(), nameMd5.end());
  wchar_t system[MAX_PATH] = {};
  ULARGE_INTEGER freeBytes{};
  if (::GetSystemDirectoryW(system, MAX_PATH) > 0 && ::GetDiskFreeSpaceExW(system, nullptr, nullptr, &freeBytes)) {
    pieces.freeBytesLow = freeBytes.LowPart;
  }
  return pieces;
}

}  // namespace

std::wstring MakeInstallSeed() {
  // Every piece is ASCII, so the text is the same in any ANSI code page.
  return Md5Text(SeedText(GatherSeedPieces()), false);
}

std::wstring GetIdex() {
  std::wstring idex = ReadValue(HKEY_CLASSES_ROOT, kIdexKey, L"idex");
  if (idex.empty()) idex = MakeInstallSeed();
  if (idex.empty()) return {};
  WriteValues(kIdexKey, {{L"idex", idex}, {L"idno", L"1"}});
  return UpperWide(idex);
}

std::wstring GetDid() {
  std::wstring did = ReadValue(HKEY_CLASSES_ROOT, kDidKey, L"did");
  if (!did.empty()) return did;
  did = Md5Text(ReadHardwareText(), true);
  WriteValues(kDidKey, {{L"did", did}});
  return did;
}

std::wstring GetLookupIdex(bool create) {
  std::wstring subkey;
  const HKEY root = ParseRegistryPath(kLookupKey, subkey);
  std::wstring idex = ReadValue(root, subkey, L"idex");
  if (idex.size() >= 4096 / sizeof(wchar_t)) idex.resize(4096 / sizeof(wchar_t) - 1);
  if (idex.empty() && create) idex = MakeInstallSeed();
  return idex;
}

std::string ReadHardwareText() { return HardwareText(ReadHardwareParts()); }

}  // namespace tw
