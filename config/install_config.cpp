#include "config/install_config.h"

#include <tinyxml2.h>

#include "platform/text.h"

namespace tw {
namespace {

std::string Text(const tinyxml2::XMLElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value != nullptr ? value : "";
}

void Int(const tinyxml2::XMLElement& element, const char* name, int32_t& field) {
  int value = 0;
  if (element.QueryIntAttribute(name, &value) == tinyxml2::XML_SUCCESS) field = value;
}

}  // namespace

PackageEntry ReadPackageEntry(const tinyxml2::XMLElement& e) {
  PackageEntry p;
  p.url = Text(e, "url");
  p.md5 = Text(e, "md5");
  p.moduletype = Text(e, "moduletype");
  p.path = Text(e, "path");
  p.param = Text(e, "param");
  p.funcname = Text(e, "funcname");
  p.initfuncname = Text(e, "initfuncname");
  p.uninitfuncname = Text(e, "uninitfuncname");
  p.downloadtype = Text(e, "downloadtype");
  Int(e, "waitexit", p.waitexit);
  Int(e, "sd", p.sd);
  Int(e, "ndp", p.ndp);
  Int(e, "downloadtime", p.downloadtime);
  Int(e, "delaytime", p.delaytime);
  p.abtestrange = Text(e, "abtestrange");
  p.condition = Text(e, "condition");
  Int(e, "noshowinstalldlg", p.noshowinstalldlg);
  Int(e, "show", p.show);
  return p;
}

namespace {

// ANSI attribute text as the check items keep it (ASCII in practice).
std::wstring Widen(const char* text) {
  std::wstring wide;
  for (const char* c = text; c != nullptr && *c != 0; ++c) wide.push_back(static_cast<unsigned char>(*c));
  return wide;
}

}  // namespace

bool PackageEntry::IsUsable() const { return MissingAttributes().empty(); }

std::string PackageEntry::MissingAttributes() const {
  std::string missing;
  const std::pair<const char*, const std::string*> required[] = {
      {"url", &url}, {"md5", &md5}, {"moduletype", &moduletype}, {"path", &path}, {"downloadtype", &downloadtype}};
  for (const auto& [name, value] : required) {
    if (value->empty()) missing += std::string(missing.empty() ? "" : ", ") + name;
  }
  return missing;
}

namespace {

void Report(const DropReporter& dropped, const std::string& what) {
  if (dropped) dropped(what);
}

}  // namespace

TwTrynoNode::TwTrynoNode(const tinyxml2::XMLElement& e, const DropReporter& dropped) {
  Int(e, "id", id);
  Int(e, "version", version);
  Int(e, "Interval", interval);
  Int(e, "reid", reid);
  condition = Text(e, "condition");
  Int(e, "showprogress", showprogress);
  title = Text(e, "title");
  int index = 0;
  for (const tinyxml2::XMLElement* file = e.FirstChildElement("dlfile"); file != nullptr;
       file = file->NextSiblingElement("dlfile")) {
    ++index;
    PackageEntry entry = ReadPackageEntry(*file);
    if (entry.IsUsable()) {
      packages.push_back(std::move(entry));
    } else {
      Report(dropped, "trial node " + Text(e, "id") + ", package " + std::to_string(index) + ": missing " +
                          entry.MissingAttributes() + " (dropped)");
    }
  }
}

TwCompanyNode::TwCompanyNode(const tinyxml2::XMLElement& e, const DropReporter& dropped) {
  Int(e, "id", id);
  Int(e, "version", version);
  for (const tinyxml2::XMLElement* tryno = e.FirstChildElement("tryno"); tryno != nullptr;
       tryno = tryno->NextSiblingElement("tryno")) {
    auto node = std::make_unique<TwTrynoNode>(*tryno, dropped);
    const std::string name = "trial node " + Text(*tryno, "id");
    if (!node->IsUsable()) {
      Report(dropped, name + ": unusable (id, version, interval or no usable package) (dropped)");
    } else if (trynos.count(node->id) != 0) {
      Report(dropped, name + ": a second node with this id (dropped)");
    } else {
      trynos.emplace(node->id, std::move(node));
    }
  }
}

const TwTrynoNode* TwCompanyNode::Find(int32_t trynoId) const {
  const auto it = trynos.find(trynoId);
  return it != trynos.end() && it->second->IsUsable() ? it->second.get() : nullptr;
}

void InstallConfiguration::ParseReports(const tinyxml2::XMLElement& other) {
  std::multimap<int32_t, ReportLeaf> reports;
  for (const tinyxml2::XMLElement* item = other.FirstChildElement("item"); item != nullptr;
       item = item->NextSiblingElement("item")) {
    const std::string name = Text(*item, "name");
    if (name.empty()) return;  // the map is then not filled at all
    if (!EqualsNoCase(Widen(name.c_str()), L"report")) continue;
    int32_t reid = 0;
    Int(*item, "reid", reid);
    for (const tinyxml2::XMLElement* leaf = item->FirstChildElement("leaf"); leaf != nullptr;
         leaf = leaf->NextSiblingElement("leaf")) {
      reports.emplace(reid, ReportLeaf{Text(*leaf, "keyname"), Text(*leaf, "channel"), Text(*leaf, "type"),
                                       Text(*leaf, "mainkey"), Text(*leaf, "path"), Text(*leaf, "regtype")});
    }
  }
  m_report_map = std::move(reports);
}

bool InstallConfiguration::Parse(const std::string& text) {
  const auto fail = [this](const std::string& what) {
    Report(m_dropped, what + " (the document fails)");
    return false;
  };
  tinyxml2::XMLDocument document;
  if (document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) return fail("not XML");
  const tinyxml2::XMLElement* root = document.FirstChildElement();
  if (root == nullptr || std::string(root->Name()) != "root") return fail("the root is not <root>");

  const tinyxml2::XMLElement* check = root->FirstChildElement("check");
  if (check == nullptr) return fail("no <check>");
  m_checks = std::make_unique<TwCheckParser>();
  const LeafFactory noLeaves = [](LeafMode, const tinyxml2::XMLElement&) { return std::unique_ptr<ICheckLeaf>(); };
  if (!m_checks->Parse(check, m_make_leaf ? m_make_leaf : noLeaves, Widen, m_dropped)) return false;

  if (const tinyxml2::XMLElement* other = root->FirstChildElement("other")) {
    m_report_map.clear();
    ParseReports(*other);
  }

  const tinyxml2::XMLElement* install = root->FirstChildElement("install");
  const tinyxml2::XMLElement* company = install != nullptr ? install->FirstChildElement("company") : nullptr;
  if (company == nullptr) return fail("no <install><company>");
  m_company = std::make_unique<TwCompanyNode>(*company, m_dropped);
  if (!m_company->IsUsable()) return fail("the company is unusable (id, version or no usable trial node)");

  const tinyxml2::XMLElement* condition = root->FirstChildElement("condition");
  if (condition == nullptr) return fail("no <condition>");
  m_conditions = std::make_unique<TwConditionParse>();
  return m_conditions->Parse(condition, m_dropped);
}

const TwTrynoNode* InstallConfiguration::GetTrynoNode(int32_t trynoId) const {
  return m_company != nullptr ? m_company->Find(trynoId) : nullptr;
}

const TwItemNode* InstallConfiguration::GetConditionItem(int32_t id) const {
  return m_conditions != nullptr ? m_conditions->Find(id) : nullptr;
}

ConditionResult InstallConfiguration::CheckInstallCondition(const char* condition) {
  TwCheckParser none;
  return EvaluateCondition(condition, m_company != nullptr, m_checks != nullptr ? *m_checks : none);
}

}  // namespace tw
