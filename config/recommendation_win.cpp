#include "config/recommendation.h"

#include <windows.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <ctime>

#include "platform/log.h"
#include "deploy_config.h"
#include "net/http_transfer.h"
#include "platform/text.h"
#include "platform/win/ansi_text_win.h"
#include "platform/win/file_system_win.h"
#include "platform/win/registry_win.h"
#include "survey/internet_cafe.h"
#include "platform/win/system_info_win.h"
#include "platform/tw_time.h"

namespace tw {
namespace {

std::wstring Attribute(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value != nullptr ? win::Utf8ToWide(value) : std::wstring();
}

int Digits(const tinyxml2::XMLElement& element, const char* name, int fallback) {
  const char* value = element.Attribute(name);
  return value != nullptr ? static_cast<int>(std::strtol(value, nullptr, 10)) : fallback;
}

int QueryInt(const tinyxml2::XMLElement& element, const char* name, int fallback) {
  int value = fallback;
  element.QueryIntAttribute(name, &value);
  return value;
}

// A value of any type up to 4 KiB, as the recommendation's conditions read it.
std::optional<win::RegValue> ReadValue(HKEY key, const std::wstring& name) {
  constexpr DWORD kMaxValueBytes = 4094;
  return win::ReadRegValue(key, name.c_str(), kMaxValueBytes);
}

void LogWide(const char* format, const std::wstring& text) { LogWrite(format, win::WideToAnsi(text).c_str()); }

int DefaultDraw() { return std::rand() % 100 + 1; }

}  // namespace

void Condition::SetReason(const tinyxml2::XMLElement& element) {
  m_reason = Attribute(element, "notRcmdReason");
  if (m_reason.empty()) m_reason = L"Condition";
}

std::unique_ptr<Condition> RegTimeCondtion::Create(const tinyxml2::XMLElement& element) const {
  auto condition = std::make_unique<RegTimeCondtion>();
  condition->key = Attribute(element, "key");
  condition->valuename = Attribute(element, "valuename");
  condition->value = Attribute(element, "value");
  condition->SetReason(element);
  return condition;
}

bool RegTimeCondtion::Check() {
  std::wstring subkey;
  const HKEY root = ParseRegistryPath(key, subkey);
  if (root == nullptr) return true;
  const win::UniqueRegKey opened =
      win::OpenRegKey(root, subkey, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, win::RegistryView::kDefault);
  if (!opened) return true;
  const auto read = ReadValue(opened.Get(), valuename);
  if (!read) return true;
  int64_t stamp = 0;
  if (read->type == REG_SZ) {
    const std::wstring text = read->Text();
    cf::time::TwTime parsed;
    parsed.Parse(text);
    stamp = parsed.Value() != 0 ? parsed.Value() : std::wcstoll(text.c_str(), nullptr, 10);
  } else if (read->type == REG_DWORD) {
    stamp = read->Number().value_or(0);
  }
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  const int64_t days = (now + 28800) / 86400 - (stamp + 28800) / 86400;
  const long limit = ParseLeadingLong(value);
  if (days < limit) {
    LogWrite("LimitDays=%d CurrentDays=%d", static_cast<int>(limit), static_cast<int>(days));
    return false;
  }
  return true;
}

std::unique_ptr<Condition> RegistryCondition::Create(const tinyxml2::XMLElement& element) const {
  auto condition = std::make_unique<RegistryCondition>();
  condition->key = Attribute(element, "key");
  condition->valuename = Attribute(element, "valuename");
  condition->minivalue = Attribute(element, "minivalue");
  condition->maxvalue = Attribute(element, "maxvalue");
  condition->exclude = Attribute(element, "exclude");
  condition->exist = Attribute(element, "exist");
  condition->closewow64 = Attribute(element, "closewow64");
  condition->SetReason(element);
  return condition;
}

bool RegistryCondition::Check() {
  win::RegistryView view = win::RegistryView::kDefault;
  if (EqualsNoCase(closewow64, L"true")) {
    view = win::RegistryView::kView64;
  } else if (SystemVersion::Instance().Is64()) {
    view = win::RegistryView::kView32;
  }
  std::wstring subkey;
  const HKEY root = ParseRegistryPath(key, subkey);
  const win::UniqueRegKey opened =
      root != nullptr ? win::OpenRegKey(root, subkey, KEY_READ, view) : win::UniqueRegKey();
  if (EqualsNoCase(exist, L"false")) {
    if (!opened) return true;
    if (valuename.empty() || ReadValue(opened.Get(), valuename)) return false;
    LogWrite("value name not exist return true");
    return true;
  }
  if (!opened) {
    LogWrite("open regedit failure return false");
    return false;
  }
  const auto read = ReadValue(opened.Get(), valuename);
  if (!read) {
    LogWrite("query value regedit failure return false");
    return false;
  }
  const uint32_t number = read->type == REG_SZ      ? static_cast<uint32_t>(ParseLeadingLong(read->Text()))
                          : read->type == REG_DWORD ? read->Number().value_or(0)
                                                    : 0;
  if ((!minivalue.empty() && number < std::wcstoll(minivalue.c_str(), nullptr, 10)) ||
      (!maxvalue.empty() && number > std::wcstoll(maxvalue.c_str(), nullptr, 10))) {
    LogWrite("value not in range min=%s max=%s value=%d", win::WideToAnsi(minivalue).c_str(),
             win::WideToAnsi(maxvalue).c_str(), static_cast<int>(number));
    return false;
  }
  size_t start = 0;
  while (start <= exclude.size()) {
    size_t end = exclude.find(L',', start);
    if (end == std::wstring::npos) end = exclude.size();
    std::wstring item = exclude.substr(start, end - start);
    start = end + 1;
    while (!item.empty() && item.front() == L' ') item.erase(0, 1);
    if (item.empty()) continue;
    if (static_cast<uint32_t>(std::wcstoll(item.c_str(), nullptr, 10)) == number) {
      LogWrite("value NOT in exclude value=%d exclude=%s", static_cast<int>(number), win::WideToAnsi(exclude).c_str());
      return false;
    }
  }
  return true;
}

int TwInstallRcmdCfgParser::ParseCfgFile(const std::wstring& path, int scene) {
  m_candidates.clear();
  if (scene <= 0) return 1;
  const std::optional<std::string> text = anti_cheat::LoadUnionConfig(path);  // the same container
  tinyxml2::XMLDocument document;
  if (!text || document.Parse(text->c_str(), text->size()) != tinyxml2::XML_SUCCESS) return 2;
  const tinyxml2::XMLElement* version = document.FirstChildElement("version");
  if (version == nullptr || QueryInt(*version, "value", 0) != 1) {
    LogWrite("TwInstallRcmdCfgParser::ParseCfgFile CheckConfigVersion FALSE");
    return 3;
  }
  if (QueryInt(*version, "switch", 0) != 1) {
    LogWrite("TwInstallRcmdCfgParser::ParseCfgFile CheckConfigSwitch FALSE");
    return 4;
  }
  static const RegTimeCondtion kRegTime;
  static const RegistryCondition kRegistry;
  const std::map<std::string, const Condition*> prototypes = {{"regtime", &kRegTime}, {"registry", &kRegistry}};
  for (const tinyxml2::XMLElement* sence = version->FirstChildElement("sence"); sence != nullptr;
       sence = sence->NextSiblingElement("sence")) {
    if (QueryInt(*sence, "id", 0) != scene) continue;
    for (const tinyxml2::XMLElement* soft = sence->FirstChildElement("soft"); soft != nullptr;
         soft = soft->NextSiblingElement("soft")) {
      const tinyxml2::XMLElement* conditions = soft->FirstChildElement("condition");
      if (conditions == nullptr) {
        LogWrite("TwInstallRcmdCfgParser::ParseCfgFile ParseAvoidGroup FALSE");
        break;  // candidates read before it stay
      }
      RcmdCandidate candidate;
      candidate.softId = QueryInt(*soft, "id", 0);
      candidate.check = Digits(*soft, "check", 1);
      candidate.desc = Attribute(*soft, "desc");
      candidate.probability = Digits(*soft, "probability", 100);
      candidate.cid = QueryInt(*soft, "cid", 0);
      candidate.tid = QueryInt(*soft, "tid", 0);
      for (const tinyxml2::XMLElement* element = conditions->FirstChildElement(); element != nullptr;
           element = element->NextSiblingElement()) {
        const auto prototype = prototypes.find(element->Name());
        if (prototype != prototypes.end()) candidate.conditions.push_back(prototype->second->Create(*element));
      }
      m_candidates.push_back(std::move(candidate));
    }
  }
  for (RcmdCandidate& candidate : m_candidates) candidate.scene = scene;
  return m_candidates.empty() ? 5 : 0;
}

bool TwInstallRcmdCfgParser::GetRcmdItem(RecommendationResult& result) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  const RcmdCandidate* selected = nullptr;
  for (const RcmdCandidate& candidate : m_candidates) {
    bool eligible = true;
    for (const auto& condition : candidate.conditions) {
      if (!condition->Check()) {
        m_last_reason = condition->NotRcmdReason();
        eligible = false;
        break;
      }
    }
    if (!eligible) continue;
    selected = &candidate;
    if ((draw != nullptr ? draw() : DefaultDraw()) <= candidate.probability) break;
  }
  if (selected == nullptr) {
    result.canRecommend = 0;
    LogWide("TwInstallRcmdCfgParser::GetRcmdItem Failed The reason is %s", m_last_reason);
    return false;
  }
  result.softId = selected->softId;
  result.check = selected->check;
  result.desc = selected->desc;
  result.cid = selected->cid;
  result.tid = selected->tid;
  result.canRecommend = 1;
  LogWrite("TwInstallRcmdCfgParser::GetRcmdItem Succeed softId=%d check=%d desc=%s cid=%d tid=%d", result.softId,
           result.check, win::WideToAnsi(result.desc).c_str(), result.cid, result.tid);
  return true;
}

TwInstallRcmdMgr::TwInstallRcmdMgr(std::wstring directory) : m_directory(std::move(directory)) {
  if (!m_directory.empty() && m_directory.back() != L'\\') m_directory += L'\\';
}

bool TwInstallRcmdMgr::DownloadCfgFile(const std::atomic<bool>* cancel) {
  // The host with "/installrcmd" and the file name, single slashes, no scheme.
  const std::wstring url = std::wstring(deploy::kCONFIG_RCMD_HOST) + L"/installrcmd/TwInstallRcmdCfg.dat";
  if (HttpGetToFile(url, CfgPath(), 0, cancel) != 0) {  // a limit of 0 is bounded inside the recipe
    LogWrite("TwInstallRcmdMgr::DownloadCfgFile FALSE");
    m_reason = L"DownloadCfgFile Failed";
    return false;
  }
  LogWrite("TwInstallRcmdMgr::DownloadCfgFile TRUE");
  return true;
}

bool TwInstallRcmdMgr::GetRecommendation(int scene) {
  m_result.scene = scene;
  const int parsed = m_parser.ParseCfgFile(CfgPath(), scene);
  win::DeleteFileIfPresent(CfgPath());  // whatever the outcome
  if (parsed == 0) {
    const bool picked = m_parser.GetRcmdItem(m_result);
    LogWrite("GetRcmdItem return %d", picked ? 1 : 0);
    if (!picked) m_reason = m_parser.LastConditionReason();
    return picked;
  }
  static const wchar_t* const kReasons[] = {L"",           L"BadSceneId", L"XmlParseFailed", L"CfgVerNotMatch",
                                            L"SwithIsOff", L"NoRcmdItem"};
  m_reason = kReasons[parsed];
  LogWide("ParseCfgFile Failed: %s", m_reason);
  return false;
}

}  // namespace tw
