// channel_check: reads a channel's install configuration with the
// installer's own rules and lists what the installer would refuse or
// ignore: an unusable company or trial node, packages missing a required
// attribute, check and condition items the parser drops or fails on (a
// missing attribute, an expression of other characters or unbalanced
// parentheses), package conditions that do not evaluate, check leaves of an
// unknown mode. A leaf's own attributes are read by the leaf on Windows and
// are not checked here.
//
//   channel_check FILE        a plain XML document, or the wrapped body the
//                             configuration service serves (opened with the
//                             deployment's public key)
// Exit code: 0 nothing refused, 1 something refused, 2 not a configuration.
#include <tinyxml2.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "config/bool_expression.h"
#include "config/config_unwrap.h"
#include "config/install_config.h"
#include "deploy_config.h"

namespace {

// Stands for every leaf: the tool only asks whether the leaf can be built.
class AnswerLeaf : public tw::ICheckLeaf {
 public:
  bool Check() override { return true; }
};

std::string MissingAttributes(const tw::PackageEntry& entry) {
  std::string missing;
  const std::pair<const char*, const std::string*> required[] = {{"url", &entry.url},
                                                                 {"md5", &entry.md5},
                                                                 {"moduletype", &entry.moduletype},
                                                                 {"path", &entry.path},
                                                                 {"downloadtype", &entry.downloadtype}};
  for (const auto& [name, value] : required) {
    if (value->empty()) missing += std::string(missing.empty() ? "" : ", ") + name;
  }
  return missing;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: channel_check FILE\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  std::stringstream read;
  read << file.rdbuf();
  std::string text = read.str();
  const size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (first == std::string::npos || text[first] != '<') {
    text = tw::UnwrapConfiguration(text, {tw::deploy::kCONFIG_RSA_MODULUS_A, tw::deploy::kCONFIG_RSA_EXPONENT_A});
    std::printf("wrapped body: %zu bytes of XML opened with the deployment's key\n", text.size());
  }

  int refused = 0;
  auto refuse = [&refused](const std::string& what) {
    ++refused;
    std::printf("refused: %s\n", what.c_str());
  };
  int leaves = 0;
  tw::InstallConfiguration config([&](tw::LeafMode, const tinyxml2::XMLElement&) -> std::unique_ptr<tw::ICheckLeaf> {
    ++leaves;
    return std::make_unique<AnswerLeaf>();
  });
  const bool usable = config.Parse(text);

  tinyxml2::XMLDocument doc;
  if (doc.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS || !doc.RootElement() ||
      std::string(doc.RootElement()->Name()) != "root") {
    std::printf("not a configuration document (not XML, or the root is not <root>)\n");
    return 2;
  }
  const tinyxml2::XMLElement* root = doc.RootElement();
  if (const auto* check = root->FirstChildElement("check")) {
    for (auto* item = check->FirstChildElement("item"); item; item = item->NextSiblingElement("item")) {
      const char* id = item->Attribute("id");
      const char* value = item->Attribute("value");
      const std::string name = std::string("check item ") + (id ? id : "?");
      if (!id || !item->Attribute("name") || !value) refuse(name + ": needs id, name and value (dropped)");
      else if (!tw::IsValidExpression(std::string_view(value))) {
        refuse(name + ": leaf expression \"" + value + "\" is not well formed (dropped)");
      }
      for (auto* leaf = item->FirstChildElement("leaf"); leaf; leaf = leaf->NextSiblingElement("leaf")) {
        const char* mode = leaf->Attribute("mode");
        if (!tw::LeafModeFromName(mode)) {
          refuse(std::string("check item ") + (item->Attribute("id") ? item->Attribute("id") : "?") +
                 ": leaf of unknown mode \"" + (mode ? mode : "") + "\"");
        }
      }
    }
  }
  if (!root->FirstChildElement("check")) refuse("no <check> (the document fails)");
  if (const auto* conditions = root->FirstChildElement("condition")) {
    for (auto* item = conditions->FirstChildElement("item"); item; item = item->NextSiblingElement("item")) {
      const char* expression = item->Attribute("expression");
      const std::string name = std::string("condition item ") + (item->Attribute("id") ? item->Attribute("id") : "?");
      if (item->IntAttribute("id", 0) <= 0 || !expression) {
        refuse(name + ": needs an id above 0 and an expression (the document fails)");
      } else if (!tw::IsValidExpression(std::string_view(expression))) {
        refuse(name + ": expression \"" + expression + "\" is not well formed (the document fails)");
      }
    }
  } else {
    refuse("no <condition> (the document fails)");
  }
  const auto* install = root->FirstChildElement("install");
  const auto* company = install ? install->FirstChildElement("company") : nullptr;
  if (!company) refuse("no <install><company>");
  int packages = 0;
  for (auto* tryno = company ? company->FirstChildElement("tryno") : nullptr; tryno;
       tryno = tryno->NextSiblingElement("tryno")) {
    const std::string node = std::string("trial node ") + (tryno->Attribute("id") ? tryno->Attribute("id") : "?");
    int index = 0;
    for (auto* dlfile = tryno->FirstChildElement("dlfile"); dlfile; dlfile = dlfile->NextSiblingElement("dlfile")) {
      ++index;
      const tw::PackageEntry entry = tw::ReadPackageEntry(*dlfile);
      if (!entry.IsUsable()) {
        refuse(node + ", package " + std::to_string(index) + ": missing " + MissingAttributes(entry));
        continue;
      }
      ++packages;
      if (!entry.condition.empty()) {
        const int code = config.CheckInstallCondition(entry.condition.c_str());
        if (code == tw::kConditionMalformed || code == tw::kConditionBadCharacter) {
          refuse(node + ", package " + std::to_string(index) + ": condition \"" + entry.condition +
                 "\" does not evaluate (" + std::to_string(code) + ")");
        }
      }
    }
    int id = 0;
    const tw::TwTrynoNode* parsed =
        tryno->QueryIntAttribute("id", &id) == tinyxml2::XML_SUCCESS ? config.GetTrynoNode(id) : nullptr;
    if (!parsed) refuse(node + ": unusable (id, version, interval or no usable package)");
  }
  std::printf("%s: %d usable packages, %d check leaves, %d refused\n", usable ? "usable" : "NOT usable", packages,
              leaves, refused);
  return !usable ? 2 : refused ? 1 : 0;
}
