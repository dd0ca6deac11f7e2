#include "survey/internet_cafe.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>
#include <tinyxml2.h>

#include <optional>

#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/com_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "platform/win/unique_handle_win.h"
#include "platform/win/path_macros_win.h"
#include "survey/union_config.h"
#include "platform/win/process_image_win.h"
#include "platform/win/system_info_win.h"

namespace anti_cheat {
namespace {

// Written once on the controller's worker thread, its only caller.
bool g_computed = false;
int g_verdict = 0;

std::wstring FromUtf8(const char* text) { return text != nullptr ? tw::win::Utf8ToWide(text) : std::wstring(); }

bool IsFile(const std::wstring& path) { return !path.empty() && tw::win::FileExists(path); }

HKEY RootFor(const std::wstring& code) {
  if (code == L"1") return HKEY_CLASSES_ROOT;
  if (code == L"2") return HKEY_CURRENT_USER;
  return HKEY_LOCAL_MACHINE;
}

std::wstring Folder(int csidl) {
  wchar_t folder[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, 0, folder)) ? std::wstring(folder) + L"\\" : L"";
}

// The target of a shell link, or empty.
std::wstring ShortcutTarget(const std::wstring& linkPath) {
  // Whichever apartment the thread can have (a window's thread is
  // single-threaded already).
  const tw::win::ComApartment multi(COINIT_MULTITHREADED);
  std::optional<tw::win::ComApartment> single;
  if (FAILED(multi.Result())) single.emplace(COINIT_APARTMENTTHREADED);
  std::wstring target;
  {
    tw::win::ComPtr<IShellLinkW> link;
    tw::win::ComPtr<IPersistFile> file;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(
            ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
        SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0))) {
      target = path;
    }
  }
  return target;
}

template <typename T>
std::unique_ptr<SoftwareXmlParser> Make() {
  return std::make_unique<T>();
}

std::unique_ptr<SoftwareXmlParser> CheckFor(const std::wstring& elementName) {
  if (tw::EqualsNoCase(elementName, L"reg")) return Make<SoftwareRegInfo>();
  if (tw::EqualsNoCase(elementName, L"lnk")) return Make<SoftwareLnkInfo>();
  if (tw::EqualsNoCase(elementName, L"process")) return Make<SoftwareProcInfo>();
  if (tw::EqualsNoCase(elementName, L"defaultpath")) return Make<SoftwareDefaultPathInfo>();
  if (tw::EqualsNoCase(elementName, L"env")) return Make<SoftwareEnvInfo>();
  return nullptr;
}

}  // namespace

std::wstring SoftwareXmlParser::ElementName(const tinyxml2::XMLElement& element) const {
  return FromUtf8(element.Name());
}

std::wstring SoftwareXmlParser::AttributeValue(const tinyxml2::XMLElement& element, const char* name) const {
  return FromUtf8(element.Attribute(name));
}

bool SoftwareRegInfo::Parse(const tinyxml2::XMLElement& e) {
  rootKey = AttributeValue(e, "instRootKey");
  dirReg = AttributeValue(e, "dirReg");
  instSubKeyName = AttributeValue(e, "instSubKeyName");
  filename = AttributeValue(e, "filename");
  return true;
}

bool SoftwareRegInfo::Check() {
  if (dirReg.empty() || instSubKeyName.empty() || filename.empty()) return false;
  const auto lookIn = [&](tw::win::RegistryView view) {
    const tw::win::UniqueRegKey key = tw::win::OpenRegKey(RootFor(rootKey), dirReg, KEY_READ, view);
    if (!key) return false;
    const std::optional<std::wstring> value = tw::win::ReadRegStringWithin(key.Get(), instSubKeyName.c_str(), 261);
    return value && IsFile(ParentFolder(ExecutableFromCommand(*value)) + filename);
  };
  if (tw::IsNative64() != 0) {
    return lookIn(tw::win::RegistryView::kView32) || lookIn(tw::win::RegistryView::kView64);
  }
  return lookIn(tw::win::RegistryView::kDefault);
}

bool SoftwareLnkInfo::Parse(const tinyxml2::XMLElement& e) {
  name = AttributeValue(e, "name");
  filename = AttributeValue(e, "filename");
  type = AttributeValue(e, "type");
  return !name.empty() && !type.empty();
}

bool SoftwareLnkInfo::Check() {
  std::vector<std::wstring> folders;
  if (type == L"desktop") {
    folders = {Folder(CSIDL_COMMON_DESKTOPDIRECTORY), Folder(CSIDL_DESKTOPDIRECTORY)};
  } else if (type == L"startup") {
    folders = {Folder(CSIDL_COMMON_PROGRAMS)};
  }
  for (const std::wstring& folder : folders) {
    if (folder.empty()) continue;
    const std::wstring target = ExecutableFromCommand(ShortcutTarget(folder + name));
    if (target.empty()) continue;
    if ((filename.empty() || target.find(filename) != std::wstring::npos) && IsFile(target)) return true;
  }
  return false;
}

bool SoftwareProcInfo::Parse(const tinyxml2::XMLElement& e) {
  name = AttributeValue(e, "name");
  companyName = AttributeValue(e, "companyname");
  return !name.empty();
}

bool SoftwareProcInfo::Check() {
  const tw::win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (tw::EqualsNoCase(entry.szExeFile, name)) {
      return IsFile(tw::win::ProcessExecutablePath(entry.th32ProcessID));  // the first match decides
    }
  }
  return false;
}

bool SoftwareDefaultPathInfo::Parse(const tinyxml2::XMLElement& e) {
  path = AttributeValue(e, "path");
  return !path.empty() && tw::ExpandPathMacros(path, tw::MacroSet::kSurvey);
}

bool SoftwareDefaultPathInfo::Check() { return IsFile(path); }

bool SoftwareEnvInfo::Parse(const tinyxml2::XMLElement& e) {
  filePath = AttributeValue(e, "filepath");
  expanded = tw::ExpandPathMacros(filePath, tw::MacroSet::kSurvey);
  return true;
}

bool SoftwareEnvInfo::Check() { return expanded && IsFile(filePath); }

std::vector<SoftwareInfo> ParseCafeRules(const std::string& xml) {
  std::vector<SoftwareInfo> rules;
  tinyxml2::XMLDocument document;
  if (document.Parse(xml.c_str(), xml.size()) != tinyxml2::XML_SUCCESS) return rules;
  const tinyxml2::XMLElement* root = document.FirstChildElement();
  if (root == nullptr || !tw::EqualsNoCase(FromUtf8(root->Name()), L"root")) return rules;
  // Found by name: the union file's other sections may come before it.
  const tinyxml2::XMLElement* cafe = root->FirstChildElement("cybercafe");
  if (cafe == nullptr) return rules;
  for (const tinyxml2::XMLElement* soft = cafe->FirstChildElement("soft"); soft != nullptr;
       soft = soft->NextSiblingElement("soft")) {
    SoftwareInfo rule;
    if (soft->QueryIntAttribute("id", &rule.id) != tinyxml2::XML_SUCCESS || rule.id == 0) continue;
    rule.name = FromUtf8(soft->Attribute("name"));
    for (const tinyxml2::XMLElement* element = soft->FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
      std::unique_ptr<SoftwareXmlParser> check = CheckFor(FromUtf8(element->Name()));
      if (check != nullptr && check->Parse(*element)) rule.checks.push_back(std::move(check));
    }
    rules.push_back(std::move(rule));
  }
  return rules;
}

std::optional<std::string> LoadUnionConfig(const std::wstring& path) {
  const tw::win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  // The rule list is small; a huge file is damaged, not read into memory.
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0 || size.QuadPart > (16 << 20)) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return std::nullopt;
  bytes.resize(read);
  return UnmaskUnionConfig(bytes);
}

std::optional<int> ComputeInternetCafeVerdict(const std::wstring& path) {
  if (path.empty() || !tw::win::FileExists(path)) return std::nullopt;
  const std::optional<std::string> xml = LoadUnionConfig(path);
  if (!xml) return 0;
  for (SoftwareInfo& rule : ParseCafeRules(*xml)) {
    for (auto& check : rule.checks) {
      if (check->Check()) return 1;
    }
  }
  return 0;
}

bool IsInternetCafe(const std::wstring& path) {
  if (g_computed) return true;
  const std::optional<int> verdict = ComputeInternetCafeVerdict(path);
  if (!verdict) return false;
  g_verdict = *verdict;
  g_computed = true;
  return true;
}

int InternetCafeVerdict() { return g_verdict; }

}  // namespace anti_cheat
