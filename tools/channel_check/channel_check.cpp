// channel_check: reads a channel's install configuration with the
// installer's own parser and lists what the installer would refuse or
// ignore, as the parser reports it: an unusable company or trial node,
// packages missing a required attribute, check and condition items it drops
// or fails on, check leaves of an unknown mode; and then the package
// conditions that do not evaluate. A leaf's own attributes are read by the
// leaf on Windows and are not checked here.
//
//   channel_check FILE        a plain XML document, or the wrapped body the
//                             configuration service serves (opened with the
//                             deployment's public key)
// Exit code: 0 nothing refused, 1 something refused, 2 not a usable configuration.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "config/config_unwrap.h"
#include "config/install_config.h"
#include "deploy_config.h"

namespace {

// Stands for every leaf: the tool only asks whether the leaf can be built.
class AnswerLeaf : public tw::ICheckLeaf {
 public:
  bool Check() override { return true; }
};

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
  config.SetDropReporter(refuse);
  const bool usable = config.Parse(text);

  int packages = 0;
  if (const tw::TwCompanyNode* company = config.Company()) {
    for (const auto& [id, node] : company->trynos) {
      int index = 0;
      for (const tw::PackageEntry& entry : node->packages) {
        ++index;
        ++packages;
        if (entry.condition.empty()) continue;
        const tw::ConditionResult code = config.CheckInstallCondition(entry.condition.c_str());
        if (code == tw::ConditionResult::kMalformed || code == tw::ConditionResult::kBadCharacter) {
          refuse("trial node " + std::to_string(id) + ", usable package " + std::to_string(index) + ": condition \"" +
                 entry.condition + "\" does not evaluate (" + std::to_string(static_cast<int>(code)) + ")");
        }
      }
    }
  }
  std::printf("%s: %d usable packages, %d check leaves, %d refused\n", usable ? "usable" : "NOT usable", packages,
              leaves, refused);
  return !usable ? 2 : refused ? 1 : 0;
}
