#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/update_ini.h"
#include "net/transfer_rules.h"
#include "config/config_unwrap.h"
#include "deploy_config.h"

namespace tw {
namespace {

// Made by operators/config_tool.py with the local deployment's test key.
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

// A damaged key in a deployment file opens nothing: it is never read up to
// its first stray character and used as if it were the key.
TEST(UnwrapConfiguration, ADamagedKeyOpensNothing) {
  const std::string good = Fixture("good.b64");
  const std::string modulus = deploy::kCONFIG_RSA_MODULUS_A;
  const std::string exponent = deploy::kCONFIG_RSA_EXPONENT_A;
  const struct {
    const char* name;
    RsaPublicKey key;
  } cases[] = {
      {"a stray letter after the modulus", {modulus + "Z", exponent}},
      {"a space after the modulus", {modulus + " ", exponent}},
      {"a stray letter after the exponent", {modulus, exponent + "x"}},
      {"an even modulus", {modulus.substr(0, modulus.size() - 1) + "0", exponent}},
      {"a negative exponent", {modulus, "-" + exponent}},
      {"no exponent", {modulus, ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(UnwrapConfiguration(good, c.key), "") << c.name;
}

// The self-update INI names a program the elevated installer starts: it is
// read only when signed with the deployment's key or fetched over https.
TEST(UpdateIni, OnlyAnAuthenticIniIsRead) {
  const std::string plain = "[UiExe]\r\nurl=http://127.0.0.1:18080/update/newer.exe\r\n";
  const struct {
    const char* name;
    std::string body;
    bool https, allowPlain;
    UpdateIniTrust trust;
  } cases[] = {
      {"signed", Fixture("update-signed.b64"), false, false, UpdateIniTrust::kSigned},
      {"signed, over https", Fixture("update-signed.b64"), true, false, UpdateIniTrust::kSigned},
      {"plain over http", plain, false, false, UpdateIniTrust::kRefused},
      {"plain over http, allowed", plain, false, true, UpdateIniTrust::kPlainAllowed},
      {"plain over https", plain, true, false, UpdateIniTrust::kOverHttps},
      {"signed with another key", Fixture("update-forged.b64"), false, false, UpdateIniTrust::kRefused},
      {"empty", "", false, false, UpdateIniTrust::kRefused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const AuthenticatedIni ini = AuthenticateUpdateIni(c.body, kKey, c.https, c.allowPlain);
    EXPECT_EQ(ini.trust, c.trust);
    EXPECT_EQ(ini.text.empty(), c.trust == UpdateIniTrust::kRefused);
  }
  const UpdateOffer offer =
      ReadUpdateOffer(AuthenticateUpdateIni(Fixture("update-signed.b64"), kKey, false, false).text);
  EXPECT_EQ(offer.url, "http://127.0.0.1:18080/update/newer.exe");
  EXPECT_EQ(offer.md5, "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(offer.dir, "%TEMP%\\twupdate");
  EXPECT_EQ(offer.probability, 10000);
  EXPECT_TRUE(IsHttpsAddress("HTTPS://update.example.com"));
  EXPECT_FALSE(IsHttpsAddress("http://update.example.com"));
}

TEST(UpdateIni, ReadAsTheProfileFunctionsReadAFile) {
  const UpdateOffer offer = ReadUpdateOffer(
      "; published 2026-12\n[Other]\nurl=wrong\n[uiexe]\n URL = \"http://a/b.exe\" \nurl=second\nmd5=AB\r\n"
      "dir=%TEMP%\\x\nprobability=12abc\n[UiExe]\nmd5=later");
  EXPECT_EQ(offer.url, "http://a/b.exe") << "names in any case, blanks and one pair of quotes trimmed, first wins";
  EXPECT_EQ(offer.md5, "AB");
  EXPECT_EQ(offer.dir, "%TEMP%\\x");
  EXPECT_EQ(offer.probability, 12);
  EXPECT_EQ(ReadUpdateOffer("url=outside a section").url, "");
  EXPECT_EQ(ReadUpdateOffer("[UiExe]\nurl=" + std::string(2000, 'a')).url.size(), 1023u);
}

}  // namespace
}  // namespace tw
