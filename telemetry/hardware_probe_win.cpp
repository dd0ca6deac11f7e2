// Reads the five parts of the hardware description. Each reader answers with
// a text or nothing, never blocks for long, and swallows every failure:
// under Wine and on locked-down machines most parts are unreadable, and
// the description is still produced from placeholders.
#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>
#include <wbemidl.h>
#include <cpuid.h>

#include <cctype>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win/ansi_text_win.h"
#include "platform/win/com_win.h"
#include "platform/win/unique_handle_win.h"
#include "telemetry/machine_identity.h"

namespace tw {
namespace {

constexpr DWORD kScsiMiniportIdentify = 0x001B0501;  // IOCTL_SCSI_MINIPORT_IDENTIFY
constexpr DWORD kNdisQueryGlobalStats = 0x00170002;  // IOCTL_NDIS_QUERY_GLOBAL_STATS
constexpr ULONG kOid8023PermanentAddress = 0x01010101;
constexpr int kDeviceCount = 16;

std::optional<std::string> ReadProcessor() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return std::nullopt;
  char text[17];
  std::snprintf(text, sizeof text, "%08X%08X", edx, eax);
  return std::string(text);
}

win::UniqueFile OpenDevice(const std::wstring& name, DWORD access, DWORD share) {
  return win::UniqueFile(::CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

struct DiskIdentity {
  std::string serial;
  std::string model;
};

// Serial (words 10-19) and model (words 27-46) from ATA identify data.
DiskIdentity FromIdentify(const BYTE* data) {
  uint16_t words[256];
  std::memcpy(words, data, sizeof words);
  return DiskIdentity{AtaIdentifyString(words, 10, 19), AtaIdentifyString(words, 27, 46)};
}

std::optional<DiskIdentity> SmartIdentify(HANDLE device, int driveNumber, bool honourAtapiBit) {
  GETVERSIONINPARAMS version{};
  DWORD returned = 0;
  if (!::DeviceIoControl(device, SMART_GET_VERSION, nullptr, 0, &version, sizeof version, &returned, nullptr)) {
    return std::nullopt;
  }
  if (honourAtapiBit && version.bIDEDeviceMap == 0) return std::nullopt;
  SENDCMDINPARAMS in{};
  in.cBufferSize = IDENTIFY_BUFFER_SIZE;
  in.irDriveRegs.bSectorCountReg = 1;
  in.irDriveRegs.bSectorNumberReg = 1;
  in.irDriveRegs.bDriveHeadReg = static_cast<BYTE>(0xA0 | ((driveNumber & 1) << 4));
  const bool atapi = honourAtapiBit && ((version.bIDEDeviceMap >> driveNumber) & 0x10) != 0;
  in.irDriveRegs.bCommandReg = atapi ? ATAPI_ID_CMD : ID_CMD;
  in.bDriveNumber = static_cast<BYTE>(driveNumber);
  std::vector<BYTE> out(sizeof(SENDCMDOUTPARAMS) + IDENTIFY_BUFFER_SIZE, 0);
  if (!::DeviceIoControl(device, SMART_RCV_DRIVE_DATA, &in, sizeof in - 1, out.data(), static_cast<DWORD>(out.size()),
                         &returned, nullptr)) {
    return std::nullopt;
  }
  return FromIdentify(reinterpret_cast<SENDCMDOUTPARAMS*>(out.data())->bBuffer);
}

std::optional<DiskIdentity> ScsiIdentify(HANDLE device, int target) {
  std::vector<BYTE> buffer(sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDOUTPARAMS) + IDENTIFY_BUFFER_SIZE, 0);
  auto* control = reinterpret_cast<SRB_IO_CONTROL*>(buffer.data());
  control->HeaderLength = sizeof(SRB_IO_CONTROL);
  control->Timeout = 10000;
  control->Length = static_cast<ULONG>(buffer.size() - sizeof(SRB_IO_CONTROL));
  control->ControlCode = kScsiMiniportIdentify;
  std::memcpy(control->Signature, "SCSIDISK", 8);
  auto* in = reinterpret_cast<SENDCMDINPARAMS*>(buffer.data() + sizeof(SRB_IO_CONTROL));
  in->irDriveRegs.bCommandReg = ID_CMD;
  in->bDriveNumber = static_cast<BYTE>(target);
  DWORD returned = 0;
  if (!::DeviceIoControl(device, IOCTL_SCSI_MINIPORT, buffer.data(), static_cast<DWORD>(buffer.size()), buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
    return std::nullopt;
  }
  auto* out = reinterpret_cast<SENDCMDOUTPARAMS*>(buffer.data() + sizeof(SRB_IO_CONTROL));
  return FromIdentify(out->bBuffer);
}

std::optional<DiskIdentity> StorageDescriptor(HANDLE device) {
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<BYTE> buffer(4096, 0);
  DWORD returned = 0;
  if (!::DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer.data(),
                         static_cast<DWORD>(buffer.size() - 1), &returned, nullptr)) {
    return std::nullopt;
  }
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer.data());
  const auto at = [&](DWORD offset) -> const char* {
    return offset != 0 && offset < returned ? reinterpret_cast<const char*>(buffer.data() + offset) : nullptr;
  };
  return DiskIdentity{DescriptorString(at(descriptor->SerialNumberOffset), true),
                      DescriptorString(at(descriptor->ProductIdOffset), false)};
}

bool UsableSerial(const std::string& serial) {
  const auto ok = [&](size_t i) { return i < serial.size() && std::isalnum(static_cast<unsigned char>(serial[i])); };
  return ok(0) || ok(19);
}

std::optional<std::string> ReadDiskModel() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return std::nullopt;
  const auto drive = [](int n) { return L"\\\\.\\PhysicalDrive" + std::to_wstring(n); };
  const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
  const DWORD shareRw = FILE_SHARE_READ | FILE_SHARE_WRITE;

  // Methods 1, 2 and 4: every answering device overwrites the last one.
  const auto lastAnswer = [&](auto probe) -> std::optional<std::string> {
    std::optional<DiskIdentity> last;
    for (int n = 0; n < kDeviceCount; ++n) {
      if (auto identity = probe(n); identity && !identity->serial.empty()) last = identity;
    }
    if (!last) return std::nullopt;
    return last->model;
  };
  if (auto model = lastAnswer([&](int n) -> std::optional<DiskIdentity> {
        const win::UniqueFile device = OpenDevice(drive(n), readWrite, shareRw);
        return device ? SmartIdentify(device.Get(), n, true) : std::nullopt;
      })) {
    return model;
  }
  if (auto model = lastAnswer([&](int n) -> std::optional<DiskIdentity> {
        const win::UniqueFile device = OpenDevice(L"\\\\.\\Scsi" + std::to_wstring(n) + L":", readWrite, shareRw);
        if (!device) return std::nullopt;
        std::optional<DiskIdentity> found;
        for (int target = 0; target < 2; ++target) {
          if (auto identity = ScsiIdentify(device.Get(), target); identity && !identity->serial.empty())
            found = identity;
        }
        return found;
      })) {
    return model;
  }
  for (int n = 0; n < kDeviceCount; ++n) {  // method 3: the first usable device is taken
    const win::UniqueFile device = OpenDevice(drive(n), 0, shareRw);
    if (!device) continue;
    if (auto identity = StorageDescriptor(device.Get()); identity && UsableSerial(identity->serial)) {
      return identity->model;
    }
  }
  return lastAnswer([&](int n) -> std::optional<DiskIdentity> {
    const win::UniqueFile device = OpenDevice(drive(n), readWrite, shareRw | FILE_SHARE_DELETE);
    return device ? SmartIdentify(device.Get(), n, false) : std::nullopt;
  });
}

// The string property `property` of each result of a WQL query, in order;
// nothing when WMI cannot be reached.
std::optional<std::vector<std::wstring>> QueryWmi(const wchar_t* query, const wchar_t* property) {
  // Before every interface pointer: they are released before it ends.
  const win::ComApartment com(COINIT_MULTITHREADED);
  if (FAILED(com.Result())) return std::nullopt;
  std::vector<std::wstring> values;
  win::ComPtr<IWbemLocator> locator;
  if (FAILED(
          ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, locator.PutVoid()))) {
    return std::nullopt;
  }
  win::ComPtr<IWbemServices> services;
  const win::UniqueBstr space(L"ROOT\\CIMV2");
  if (FAILED(locator->ConnectServer(space.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.Put()))) {
    return std::nullopt;
  }
  ::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  const win::UniqueBstr language(L"WQL");
  const win::UniqueBstr text(query);
  win::ComPtr<IEnumWbemClassObject> results;
  if (FAILED(services->ExecQuery(language.Get(), text.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                 nullptr, results.Put()))) {
    return std::nullopt;
  }
  while (true) {
    win::ComPtr<IWbemClassObject> object;
    ULONG count = 0;
    if (results->Next(WBEM_INFINITE, 1, object.Put(), &count) != WBEM_S_NO_ERROR || count == 0) break;
    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(object->Get(property, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR && value.bstrVal) {
      values.emplace_back(value.bstrVal);
    }
    ::VariantClear(&value);
  }
  return values;
}

std::optional<std::string> ReadMainboardSerial() {
  const auto serials = QueryWmi(L"SELECT * FROM Win32_BaseBoard WHERE (SerialNumber IS NOT NULL)", L"SerialNumber");
  if (!serials || serials->empty()) return std::nullopt;
  return MainboardSerial(tw::win::WideToAnsi(serials->front()));
}

std::optional<std::string> ReadNetworkAddress() {
  const auto devices = QueryWmi(
      L"select * from Win32_NetworkAdapter where PnpDeviceID like 'PCI%'  or PnpDeviceID like 'USB%'", L"PNPDeviceID");
  if (!devices) return std::nullopt;
  for (std::wstring id : *devices) {
    for (wchar_t& c : id) {
      if (c == L'\\') c = L'#';
    }
    const win::UniqueFile device =
        OpenDevice(L"\\\\.\\" + id + L"#{ad498944-762f-11d0-8dcb-00c04fc3358c}", 0, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!device) continue;
    ULONG oid = kOid8023PermanentAddress;
    BYTE address[256] = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(device.Get(), kNdisQueryGlobalStats, &oid, sizeof oid, address, sizeof address, &returned,
                           nullptr) ||
        returned == 0) {
      continue;
    }
    std::string hex;
    for (DWORD i = 0; i < returned && i < sizeof address; ++i) {
      char pair[3];
      std::snprintf(pair, sizeof pair, "%02X", address[i]);
      hex += pair;
    }
    return hex;
  }
  return std::nullopt;
}

std::string ReadSoundDevice() {
  const auto captions = QueryWmi(L"SELECT Caption FROM Win32_SoundDevice", L"Caption");
  return captions && !captions->empty() ? tw::win::WideToAnsi(captions->front()) : std::string();
}

}  // namespace

HardwareParts ReadHardwareParts() {
  HardwareParts parts;
  parts.processor = ReadProcessor();
  parts.diskModel = ReadDiskModel();
  parts.mainboardSerial = ReadMainboardSerial();
  parts.networkAddress = ReadNetworkAddress();
  parts.soundDevice = ReadSoundDevice();
  return parts;
}

}  // namespace tw
