#include "config/condition_leaves.h"

#include <windows.h>
#include <ras.h>
#include <raserror.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "config/city_lookup.h"
#include "platform/win/private_folder_win.h"
#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "platform/win/library_loading_win.h"
#include "platform/win/unique_handle_win.h"
#include "survey/internet_cafe.h"
#include "survey/vm_detection.h"
#include "telemetry/identity_keys.h"
#include "telemetry/reports.h"
#include "platform/win/system_info_win.h"
#include "platform/tw_time.h"
#include "platform/ux_json.h"
#include "platform/win/proc_address_win.h"

namespace tw {
namespace {

using tinyxml2::XMLElement;

// Reads the required attributes; false when one is missing. Carries where
// the leaf reports to.
struct Attributes {
  const XMLElement& element;
  const LeafDetailSink& report;
  bool ok = true;
  std::wstring Text(const char* name) {
    const char* value = element.Attribute(name);
    if (value == nullptr) ok = false;
    return value != nullptr ? win::AnsiToWide(value) : std::wstring();
  }
  long Number(const char* name) {
    const char* value = element.Attribute(name);
    if (value == nullptr) ok = false;
    return value != nullptr ? std::strtol(value, nullptr, 10) : 0;
  }
};

// A leaf's detail record, when it has somewhere to go.
class ReportingLeaf : public ICheckLeaf {
 public:
  explicit ReportingLeaf(const LeafDetailSink& report) : m_report(report) {}

 protected:
  void Report(TwInstallTool::LeafDetailKind kind, int valueA, int valueB, const wchar_t* text) const {
    if (m_report) m_report(kind, valueA, valueB, text);
  }

 private:
  LeafDetailSink m_report;
};

// The registry views a leaf reads, in order, for its wow64 setting.
std::vector<win::RegistryView> ViewsFor(long wow64) {
  if (!SystemVersion::Instance().Is64()) return {win::RegistryView::kDefault};
  if (wow64 != 0) return {win::RegistryView::kView32};
  return {win::RegistryView::kView64, win::RegistryView::kView32};
}

std::optional<win::RegValue> ReadLeafValue(HKEY root, const std::wstring& subkey, const std::wstring& name,
                                           win::RegistryView view, DWORD maxBytes) {
  const win::UniqueRegKey key = win::OpenRegKey(root, subkey, KEY_READ, view);
  if (!key) return std::nullopt;
  return win::ReadRegValue(key.Get(), name.c_str(), maxBytes);
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class RegLeaf final : public ICheckLeaf {
 public:
  explicit RegLeaf(Attributes& a)
      : m_root(a.Text("mainkey")),
        m_subkey(a.Text("subkey")),
        m_name(a.Text("keyname")),
        m_wow64(a.Number("wow64")),
        m_type(static_cast<DWORD>(a.Number("keytype"))) {}
  bool Check() override {
    const HKEY root = win::ShortRegistryRoot(m_root);
    if (root == nullptr || m_subkey.empty() || m_name.empty()) return false;
    for (const auto view : ViewsFor(m_wow64)) {
      const auto value = ReadLeafValue(root, m_subkey, m_name, view, 260);
      if (!value || value->type != m_type) continue;
      if (m_type == REG_SZ || m_type == REG_EXPAND_SZ) {
        if (!value->Text().empty()) return true;
      } else if (m_type == REG_DWORD) {
        if (value->Number().value_or(0) != 0) return true;
      } else {
        return true;
      }
    }
    return false;
  }

 private:
  std::wstring m_root, m_subkey, m_name;
  long m_wow64;
  DWORD m_type;
};

class RegFileLeaf final : public ICheckLeaf {
 public:
  explicit RegFileLeaf(Attributes& a)
      : m_root(a.Text("mainkey")),
        m_subkey(a.Text("subkey")),
        m_name(a.Text("keyname")),
        m_file(a.Text("name")),
        m_wow64(a.Number("wow64")) {}
  bool Check() override {
    const HKEY root = win::ShortRegistryRoot(m_root);
    if (root == nullptr || m_subkey.empty() || m_name.empty() || m_file.empty()) return false;
    for (const auto view : ViewsFor(m_wow64)) {
      const auto value = ReadLeafValue(root, m_subkey, m_name, view, 520);
      if (!value) continue;
      std::wstring folder = value->Text();
      if (!folder.empty() && folder.front() == L'"') folder.erase(0, 1);
      if (!folder.empty() && folder.back() == L'"') folder.pop_back();
      if (folder.empty() || folder.back() != L'\\') folder += L'\\';
      if (PathExists(folder + m_file)) return true;
    }
    return false;
  }

 private:
  std::wstring m_root, m_subkey, m_name, m_file;
  long m_wow64;
};

class RegIntervalTimeLeaf final : public ICheckLeaf {
 public:
  explicit RegIntervalTimeLeaf(Attributes& a)
      : m_root(a.Text("mainkey")),
        m_subkey(a.Text("subkey")),
        m_name(a.Text("keyname")),
        m_type(static_cast<DWORD>(a.Number("keytype"))),
        m_hours(a.Number("intervaltime")),
        m_wow64(a.Number("wow64")) {}
  bool Check() override {
    const HKEY root = win::ShortRegistryRoot(m_root);
    if (m_hours <= 0 || root == nullptr || m_subkey.empty() || m_name.empty()) return false;
    for (const auto view : ViewsFor(m_wow64)) {
      const auto value = ReadLeafValue(root, m_subkey, m_name, view, 260);
      if (!value || value->type != m_type) continue;  // the 32-bit view only when the 64-bit read failed
      int64_t stamp = 0;
      if (m_type == REG_SZ || m_type == REG_EXPAND_SZ) {
        const std::wstring text = value->Text();
        if (text.empty()) continue;
        // A text is a date and time only; one that is not gives no stamp,
        // so the interval has long passed.
        stamp = cf::time::TwTime(text).Value();
      } else if (m_type == REG_DWORD) {
        const DWORD number = value->Number().value_or(0);
        if (number == 0) continue;
        stamp = number;
      } else {
        return true;  // another type gives no stamp: the leaf lets it pass
      }
      return stamp + int64_t{m_hours} * 3600 >= static_cast<int64_t>(std::time(nullptr));
    }
    return false;
  }

 private:
  std::wstring m_root, m_subkey, m_name;
  DWORD m_type;
  long m_hours, m_wow64;
};

class ServiceLeaf final : public ICheckLeaf {
 public:
  explicit ServiceLeaf(Attributes& a) : m_name(a.Text("name")) {}
  bool Check() override {
    return win::RegKeyExists(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\services\\" + m_name,
                             win::RegistryView::kDefault);
  }

 private:
  std::wstring m_name;
};

class KernelObjectLeaf final : public ICheckLeaf {
 public:
  explicit KernelObjectLeaf(Attributes& a) : m_type(a.Text("type")), m_name(a.Text("name")) {}
  bool Check() override {
    DWORD session = 0;
    if (!::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return false;
    for (size_t at = m_name.find(L"$SessionID"); at != std::wstring::npos; at = m_name.find(L"$SessionID", at)) {
      m_name.replace(at, 10, std::to_wstring(session));
    }
    std::wstring type;
    for (wchar_t c : m_type) type.push_back(AsciiToLower(c));
    win::UniqueHandleObject object;
    if (type == L"mutex") {
      object.Reset(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, m_name.c_str()));
      return object.IsValid() || ::GetLastError() != ERROR_FILE_NOT_FOUND;  // present but forbidden counts
    }
    if (type == L"event")
      return win::UniqueHandleObject(::OpenEventW(EVENT_ALL_ACCESS, FALSE, m_name.c_str())).IsValid();
    if (type == L"semaphore") {
      return win::UniqueHandleObject(::OpenSemaphoreW(SEMAPHORE_ALL_ACCESS, FALSE, m_name.c_str())).IsValid();
    }
    if (type == L"namedpipe") {
      const std::wstring pipe =
          m_name.find(L"\\\\.\\pipe\\") != std::wstring::npos ? m_name : L"\\\\.\\pipe\\" + m_name;
      return win::UniqueFile(
                 ::CreateFileW(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
          .IsValid();
    }
    return false;
  }

 private:
  std::wstring m_type, m_name;
};

class DriverLeaf final : public ICheckLeaf {
 public:
  explicit DriverLeaf(Attributes& a) : m_name(a.Text("name")) {}
  bool Check() override {
    const win::UniqueFile device(::CreateFileW((L"\\\\.\\Global\\" + m_name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
    return device.IsValid() || ::GetLastError() == ERROR_ACCESS_DENIED;
  }

 private:
  std::wstring m_name;
};

bool FullPathFileExists(std::wstring path, const std::wstring& name) {
  if (!PathExists(path)) return false;
  if (name.empty()) return true;
  if (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return PathExists(path + L"\\" + name);
}

class FullPathFileLeaf final : public ICheckLeaf {
 public:
  explicit FullPathFileLeaf(Attributes& a) : m_path(a.Text("path")), m_name(a.Text("name")) {}
  bool Check() override { return FullPathFileExists(m_path, m_name); }

 private:
  std::wstring m_path, m_name;
};

class VarExFileLeaf final : public ICheckLeaf {
 public:
  explicit VarExFileLeaf(Attributes& a) : m_path(a.Text("path")), m_name(a.Text("name")) {}
  bool Check() override {
    wchar_t expanded[MAX_PATH] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(m_path.c_str(), expanded, MAX_PATH);
    if (length == 0 || length > 259) return false;
    return FullPathFileExists(expanded, m_name);
  }

 private:
  std::wstring m_path, m_name;
};

class OsVersionLeaf final : public ICheckLeaf {
 public:
  explicit OsVersionLeaf(Attributes& a) : m_version(a.Text("versionvalue")) {}
  bool Check() override { return ParseLeadingInt(m_version) == GetOsCode(); }

 private:
  std::wstring m_version;
};

class UninstCountsLeaf final : public ReportingLeaf {
 public:
  explicit UninstCountsLeaf(Attributes& a)
      : ReportingLeaf(a.report),
        m_interval(a.Number("Interval")),
        m_count(a.Number("count")),
        m_param(a.Number("param")),
        m_switch(a.Number("switch")) {}
  bool Check() override {
    const UninstallHistory history = ReadUninstallHistory();
    const bool met =
        m_count != 0 && history.daysSince >= static_cast<int64_t>((history.count % static_cast<uint32_t>(m_count)) *
                                                                  static_cast<uint32_t>(m_param)) +
                                                 m_interval;
    Report(TwInstallTool::kLeafDetailUninstallHistory,
           m_count != 0 && !met ? TwInstallTool::kLeafUninstallIntervalNotPassed : 0, static_cast<int>(history.count),
           nullptr);
    return met && m_switch != 0;
  }

 private:
  long m_interval, m_count, m_param, m_switch;
};

class UninstCountAndTimeLeaf final : public ReportingLeaf {
 public:
  explicit UninstCountAndTimeLeaf(Attributes& a)
      : ReportingLeaf(a.report), m_count(a.Number("count")), m_interval(a.Number("Interval")) {}
  bool Check() override {
    const UninstallHistory history = ReadUninstallHistory();
    const bool result = history.daysSince <= m_interval && static_cast<int64_t>(history.count) >= m_count;
    Report(TwInstallTool::kLeafDetailUninstallHistory, result ? TwInstallTool::kLeafUninstalledOftenAndRecently : 0,
           static_cast<int>(history.count), nullptr);
    return result;
  }

 private:
  long m_count, m_interval;
};

class ConnectVpnLeaf final : public ReportingLeaf {
 public:
  explicit ConnectVpnLeaf(Attributes& a) : ReportingLeaf(a.report), m_switch(a.Number("switch")) {}
  bool Check() override {
    bool works = false, found = false;
    DWORD bytes = 0, count = 0;
    // Absent on some systems: then no VPN.
    const win::UniqueLibrary rasapi(win::LoadSystemLibrary(L"rasapi32.dll"));
    using EnumFn = DWORD(WINAPI*)(RASCONNW*, DWORD*, DWORD*);
    const auto enumerate = rasapi ? win::GetProc<EnumFn>(rasapi.Get(), "RasEnumConnectionsW") : nullptr;
    if (enumerate != nullptr) {
      const DWORD first = enumerate(nullptr, &bytes, &count);
      works = first == ERROR_SUCCESS || first == ERROR_BUFFER_TOO_SMALL;
      if (works && count > 0) {
        std::vector<RASCONNW> connections(count);
        connections[0].dwSize = sizeof(RASCONNW);
        bytes = static_cast<DWORD>(connections.size() * sizeof(RASCONNW));
        if (enumerate(connections.data(), &bytes, &count) == ERROR_SUCCESS) {
          for (DWORD i = 0; i < count; ++i) {
            if (EqualsNoCase(connections[i].szDeviceType, L"vpn")) found = true;
          }
        }
      }
    }
    Report(TwInstallTool::kLeafDetailVpn, found ? 1 : 0, static_cast<int>(m_switch), nullptr);
    return works && found && m_switch != 0;
  }

 private:
  long m_switch;
};

class WorkInVmLeaf final : public ReportingLeaf {
 public:
  explicit WorkInVmLeaf(Attributes& a) : ReportingLeaf(a.report), m_switch(a.Number("switch")) {}
  bool Check() override {
    const int answer = anti_cheat::IsVirtualMachine();
    Report(TwInstallTool::kLeafDetailVirtualMachine, answer, static_cast<int>(m_switch), nullptr);
    return answer != 0 && m_switch != 0;
  }

 private:
  long m_switch;
};

class BarUserLeaf final : public ICheckLeaf {
 public:
  explicit BarUserLeaf(Attributes&) {}
  bool Check() override {
    // Where Init downloaded it: the work folder, which the user cannot write.
    const std::optional<std::wstring> work = win::WorkFolder();
    if (!work) return false;
    const std::wstring path = *work + L"unioncfg.dat";
    if (!win::FileExists(path)) return false;
    return anti_cheat::IsInternetCafe(path) && anti_cheat::InternetCafeVerdict() != 0;
  }
};

// The first successful lookup's answer, kept for the process.
std::wstring g_cityAnswer;

class CityBlackListLeaf final : public ReportingLeaf {
 public:
  explicit CityBlackListLeaf(Attributes& a)
      : ReportingLeaf(a.report), m_percent(a.Number("percent")), m_city(a.Text("cityid")) {}
  bool Check() override {
    if (g_cityAnswer.empty()) {
      const std::optional<std::wstring> answer = CityLookup();
      if (!answer || answer->empty()) return true;  // no lookup: the installation goes on
      g_cityAnswer = *answer;
    }
    cf::UxJson::Document document;
    (void)document.Parse(g_cityAnswer);  // an answer that does not parse has no root
    const wchar_t* city = document.Root() != nullptr ? document.Member(L"cityid").GetString() : nullptr;
    const std::wstring machineCity = city != nullptr ? city : L"";
    if (m_city.empty() || !EqualsNoCase(m_city, machineCity)) return true;
    bool result;
    if (m_percent <= 0) {
      result = false;
    } else if (m_percent >= 100) {
      result = true;
    } else {
      std::srand(static_cast<unsigned>(std::time(nullptr)));
      result = (std::rand() & 0x7FFF) % 101 < m_percent;
    }
    Report(TwInstallTool::kLeafDetailCity, ParseLeadingInt(m_city), result ? 1 : 0, g_cityAnswer.c_str());
    return result;
  }

 private:
  long m_percent;
  std::wstring m_city;
};

template <typename Leaf>
std::unique_ptr<ICheckLeaf> Build(const XMLElement& element, const LeafDetailSink& report) {
  Attributes attributes{element, report};
  auto leaf = std::make_unique<Leaf>(attributes);
  // The id is a number like every other: leading digits, none gives 0.
  const long id = attributes.Number("id");
  if (!attributes.ok) return nullptr;
  leaf->SetId(static_cast<int32_t>(id));
  return leaf;
}

std::optional<uint32_t> HistoryValue(const wchar_t* name) {
  for (const auto& [root, subkey] :
       {std::pair<HKEY, const wchar_t*>{HKEY_LOCAL_MACHINE, L"SOFTWARE\\tarnwick\\Antivirus"},
        std::pair<HKEY, const wchar_t*>{HKEY_CLASSES_ROOT, kIdexKey}}) {
    const win::UniqueRegKey key = win::OpenRegKey(root, subkey, KEY_READ, win::RegistryView::kDefault);
    if (!key) continue;
    if (const auto value = win::ReadRegDword(key.Get(), name)) return *value;
  }
  return std::nullopt;
}

}  // namespace

UninstallHistory ReadUninstallHistory() {
  UninstallHistory history;
  history.count = HistoryValue(L"uninstall_count").value_or(0);
  const int64_t time = HistoryValue(L"uninstall_time").value_or(0);
  history.daysSince = (static_cast<int64_t>(std::time(nullptr)) - time) / 86400;
  return history;
}

std::unique_ptr<ICheckLeaf> MakeConditionLeaf(LeafMode mode, const XMLElement& element, const LeafDetailSink& report) {
  switch (mode) {
    case LeafMode::kReg: return Build<RegLeaf>(element, report);
    case LeafMode::kService: return Build<ServiceLeaf>(element, report);
    case LeafMode::kKernelObject: return Build<KernelObjectLeaf>(element, report);
    case LeafMode::kDriver: return Build<DriverLeaf>(element, report);
    case LeafMode::kRegFile: return Build<RegFileLeaf>(element, report);
    case LeafMode::kVarExFile: return Build<VarExFileLeaf>(element, report);
    case LeafMode::kFullPathFile: return Build<FullPathFileLeaf>(element, report);
    case LeafMode::kOsVersion: return Build<OsVersionLeaf>(element, report);
    case LeafMode::kUninstCounts: return Build<UninstCountsLeaf>(element, report);
    case LeafMode::kCityBlackList: return Build<CityBlackListLeaf>(element, report);
    case LeafMode::kVpn: return Build<ConnectVpnLeaf>(element, report);
    case LeafMode::kVmware: return Build<WorkInVmLeaf>(element, report);
    case LeafMode::kUninstCountAndTime: return Build<UninstCountAndTimeLeaf>(element, report);
    case LeafMode::kBarUser: return Build<BarUserLeaf>(element, report);
    case LeafMode::kRegIntervalTime: return Build<RegIntervalTimeLeaf>(element, report);
  }
  return nullptr;
}

LeafFactory ReportingLeafFactory(LeafDetailSink report) {
  return [report = std::move(report)](LeafMode mode, const XMLElement& element) {
    return MakeConditionLeaf(mode, element, report);
  };
}

}  // namespace tw
