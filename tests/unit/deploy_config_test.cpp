#include <gtest/gtest.h>

#include <string>

#include "deploy_config.h"

namespace tw {
namespace {

// The deployment file is build configuration: every value must arrive, in
// the shape the code that uses it expects.
TEST(DeployConfig, ValuesHaveTheirExpectedShape) {
  const std::string baseUrl = deploy::kCONFIG_BASE_URL_A;
  ASSERT_FALSE(baseUrl.empty());
  EXPECT_EQ(baseUrl.back(), '/');
  EXPECT_EQ(std::string(deploy::kCONFIG_RCMD_HOST_A).find("://"), std::string::npos);
  EXPECT_EQ(std::string(deploy::kCONFIG_RSA_MODULUS_A).size(), 256u) << "a 1024-bit modulus in hexadecimal";
  EXPECT_EQ(std::string(deploy::kCONFIG_RSA_MODULUS_A).find_first_not_of("0123456789abcdefABCDEF"), std::string::npos);
  EXPECT_STREQ(deploy::kCONFIG_RSA_EXPONENT_A, "65537");
  EXPECT_NE(std::string(deploy::kTELEMETRY_URL_A).find("/c/"), std::string::npos);
  EXPECT_FALSE(std::wstring(deploy::kCITY_ENDPOINTS).empty());
  EXPECT_FALSE(std::wstring(deploy::kPROBE_HOST).empty());
  EXPECT_FALSE(std::wstring(deploy::kWEB_PAGES_HOST).empty());
  EXPECT_FALSE(std::wstring(deploy::kWEB_CHAT_HOST).empty());
  EXPECT_FALSE(std::wstring(deploy::kUPDATE_BASE_URL).empty());
}

}  // namespace
}  // namespace tw
