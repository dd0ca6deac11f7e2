#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/config_unwrap.h"
#include "deploy_config.h"

namespace tw {
namespace {

// Made by peers/config_tool.py with the local deployment's test key.
std::string Fixture(const char* name) {
  std::ifstream file(std::string(TW_FIXTURE_DIR) + "/config/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

const char* kDocument =
    "<root><check/><install><company id=\"1\" version=\"1\"><tryno id=\"3\" version=\"2\">"
    "<dlfile url=\"http://127.0.0.1:18080/p.exe\" md5=\"D41D8CD98F00B204E9800998ECF8427E\"/>"
    "</tryno></company></install><condition/></root>";

const RsaPublicKey kKey{deploy::kCONFIG_RSA_MODULUS_A, deploy::kCONFIG_RSA_EXPONENT_A};

TEST(Base64, GroupsOfFour) {
  EXPECT_EQ(Base64DecodeGroups("TWFu"), "Man");
  EXPECT_EQ(Base64DecodeGroups("TWE="), "Ma");
  EXPECT_EQ(Base64DecodeGroups("TQ=="), "M");
  EXPECT_EQ(Base64DecodeGroups("TWFuTWE="), "ManMa");
  EXPECT_EQ(Base64DecodeGroups("TWF"), "") << "not a multiple of four";
  EXPECT_EQ(Base64DecodeGroups("TW"), "");
  EXPECT_EQ(Base64DecodeGroups("TW=uTWFu"), "") << "padding only at the end";
  EXPECT_EQ(Base64DecodeGroups("TW*u"), "");
}

TEST(UnwrapConfiguration, DocumentsFromTheServiceTool) {
  const std::string good = Fixture("good.b64");
  ASSERT_FALSE(good.empty()) << "fixture missing";
  EXPECT_EQ(UnwrapConfiguration(good, kKey), kDocument);
  EXPECT_EQ(UnwrapConfiguration(Fixture("not-multiple-of-4.b64"), kKey), "");
  EXPECT_EQ(UnwrapConfiguration(Fixture("not-multiple-of-128.b64"), kKey), "");
  EXPECT_EQ(UnwrapConfiguration(Fixture("bad-second-block.b64"), kKey), std::string(kDocument).substr(0, 117))
      << "the blocks before the bad one stay";
  EXPECT_EQ(UnwrapConfiguration(Fixture("above-modulus.b64"), kKey), "") << "a block not below the modulus";
  EXPECT_EQ(UnwrapConfiguration(Fixture("with-nul.b64"), kKey), "<root/>") << "the text ends at the first NUL";
  EXPECT_EQ(UnwrapConfiguration("", kKey), "");
  EXPECT_EQ(UnwrapConfiguration(good, RsaPublicKey{"", "65537"}), "") << "no key, no text";
}

}  // namespace
}  // namespace tw
