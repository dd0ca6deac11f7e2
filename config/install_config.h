// The channel's install configuration, once unwrapped: checks, report
// items, the company node with its trial nodes and package entries, and
// the named condition items. Parsed with TinyXML-2; names are
// case-sensitive, integers read with TinyXML's integer query.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/condition_language.h"

namespace tinyxml2 {
class XMLElement;
}

namespace tw {

// A `show` attribute that is absent means "show the product installer's
// window": a package started hidden that needs the user would leave the
// user waiting for nothing.
constexpr int32_t kDefaultPackageShow = 1;

struct PackageEntry {
  std::string url, md5, moduletype, path, param, funcname, initfuncname, uninitfuncname, downloadtype;
  int32_t waitexit = 0, sd = 0, ndp = 0, downloadtime = 0, delaytime = 0;
  std::string abtestrange, condition;
  int32_t noshowinstalldlg = 1;
  int32_t show = kDefaultPackageShow;

  bool IsUsable() const;
  // The required attributes it lacks, as "md5, path"; empty when usable.
  std::string MissingAttributes() const;
};

// A `dlfile` element as an entry, usable or not.
PackageEntry ReadPackageEntry(const tinyxml2::XMLElement& element);

class TwTrynoNode {
 public:
  explicit TwTrynoNode(const tinyxml2::XMLElement& element, const DropReporter& dropped = {});
  virtual ~TwTrynoNode() = default;
  bool IsUsable() const { return id > 0 && version > 0 && interval >= 0 && !packages.empty(); }

  int32_t id = 0, version = 0, interval = 0, reid = 0;
  std::string condition;
  int32_t showprogress = 0;
  std::string title;
  std::vector<PackageEntry> packages;  // usable entries, in document order
};

class TwCompanyNode {
 public:
  explicit TwCompanyNode(const tinyxml2::XMLElement& element, const DropReporter& dropped = {});
  bool IsUsable() const { return id > 0 && version > 0 && !trynos.empty(); }
  const TwTrynoNode* Find(int32_t trynoId) const;

  int32_t id = 0, version = 0;
  std::map<int32_t, std::unique_ptr<TwTrynoNode>> trynos;  // the first usable node per id
};

struct ReportLeaf {
  std::string keyname, channel, type, mainkey, path, regtype;
};

// Everything a configuration document holds. Parsing replaces section by
// section, so a failed parse keeps the sections before the failing one.
class InstallConfiguration {
 public:
  explicit InstallConfiguration(LeafFactory makeLeaf = {}) : m_make_leaf(std::move(makeLeaf)) {}

  // Told what each parse drops or fails on.
  void SetDropReporter(DropReporter dropped) { m_dropped = std::move(dropped); }

  // True when the text is a usable configuration (root, check, install
  // with a usable company, condition).
  [[nodiscard]] bool Parse(const std::string& text);

  const TwTrynoNode* GetTrynoNode(int32_t trynoId) const;
  const TwItemNode* GetConditionItem(int32_t id) const;
  [[nodiscard]] ConditionResult CheckInstallCondition(const char* condition);
  const std::multimap<int32_t, ReportLeaf>& ReportMap() const { return m_report_map; }
  const TwCompanyNode* Company() const { return m_company.get(); }

 private:
  void ParseReports(const tinyxml2::XMLElement& other);

  LeafFactory m_make_leaf;
  DropReporter m_dropped;
  std::unique_ptr<TwCheckParser> m_checks;
  std::unique_ptr<TwConditionParse> m_conditions;
  std::unique_ptr<TwCompanyNode> m_company;
  std::multimap<int32_t, ReportLeaf> m_report_map;
};

}  // namespace tw
