// Is this computer a public internet-cafe ("bar") machine? The vendor ships
// a list of cafe software with ways to recognise each installation inside
// the union configuration file; any product found makes the verdict 1. The
// verdict is computed once per process.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace anti_cheat {

// True once a verdict exists (computed now or earlier); the verdict is then
// InternetCafeVerdict(). False, and nothing cached, when `path` is empty or
// names no file.
bool IsInternetCafe(const std::wstring& path);
int InternetCafeVerdict();

// The verdict of one union file, uncached: 0 for an unreadable, damaged or
// rule-less file. Nothing when the file does not exist.
std::optional<int> ComputeInternetCafeVerdict(const std::wstring& path);

// The XML text of a union file, or nothing.
std::optional<std::string> LoadUnionConfig(const std::wstring& path);

// One way to recognise an installed product.
class SoftwareXmlParser {
 public:
  virtual ~SoftwareXmlParser() = default;
  virtual bool Parse(const tinyxml2::XMLElement& element) = 0;  // false drops the check
  virtual bool Check() = 0;
  virtual void Reserved() {}
  std::wstring ElementName(const tinyxml2::XMLElement& element) const;
  std::wstring AttributeValue(const tinyxml2::XMLElement& element, const char* name) const;
};

class SoftwareRegInfo : public SoftwareXmlParser {
 public:
  bool Parse(const tinyxml2::XMLElement& element) override;
  bool Check() override;
  std::wstring rootKey, dirReg, instSubKeyName, filename;
};

class SoftwareLnkInfo : public SoftwareXmlParser {
 public:
  bool Parse(const tinyxml2::XMLElement& element) override;
  bool Check() override;
  std::wstring name, filename, type;
};

class SoftwareProcInfo : public SoftwareXmlParser {
 public:
  bool Parse(const tinyxml2::XMLElement& element) override;
  bool Check() override;
  std::wstring name, companyName;
};

class SoftwareDefaultPathInfo : public SoftwareXmlParser {
 public:
  bool Parse(const tinyxml2::XMLElement& element) override;
  bool Check() override;
  std::wstring path;  // expanded
};

class SoftwareEnvInfo : public SoftwareXmlParser {
 public:
  bool Parse(const tinyxml2::XMLElement& element) override;
  bool Check() override;
  std::wstring filePath;
  bool expanded = false;
};

// One product of the list ("soft"): found when any of its checks is.
struct SoftwareInfo {
  int id = 0;
  std::wstring name;
  std::vector<std::unique_ptr<SoftwareXmlParser>> checks;
};

// The product rules of a rule document; empty for another root or no "cybercafe".
std::vector<SoftwareInfo> ParseCafeRules(const std::string& xml);

}  // namespace anti_cheat
