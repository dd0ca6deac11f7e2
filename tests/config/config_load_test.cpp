// Loading a channel's configuration from the configuration peer, which
// serves what each test chooses, wrapped with the local test key.
#include <gtest/gtest.h>

#include "config/install_config_mgr.h"
#include "tests/win/peer_http_win.h"

namespace tw {
namespace {

void Serve(int cid, const char* document) {
  std::string answer;
  ASSERT_TRUE(
      test::DirectGet("http://127.0.0.1:18080/_peer/config?cid=" + std::to_string(cid) + "&doc=" + document, answer));
  ASSERT_EQ(answer, "ok");
}

TEST(ConfigLoad, AGoodDocumentGivesTheChannelsNodes) {
  Serve(1029, "good");
  TwInstallConfigMgr config{LeafDetailSink()};
  ASSERT_EQ(config.Load(1029), ConfigLoadResult::kLoaded);
  const TwTrynoNode* node = config.GetTrynoNode(7);
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->packages.size(), 1u);
  EXPECT_EQ(node->packages[0].url, "http://127.0.0.1:18090/file/1000/pkg");
  EXPECT_EQ(config.Company()->id, 1029);
}

TEST(ConfigLoad, EveryFailureHasItsCode) {
  struct Case {
    const char* document;
    ConfigLoadResult code;
  } cases[] = {
      {"missing", ConfigLoadResult::kNotFetched},  // 404
      {"empty", ConfigLoadResult::kNotFetched},
      {"garbage", ConfigLoadResult::kEmptyText},
      {"truncated", ConfigLoadResult::kEmptyText},  // no longer groups of four and blocks of 128
      {"enormous", ConfigLoadResult::kEmptyText},   // blocks not below the modulus
      {"not-a-configuration", ConfigLoadResult::kInvalid},
      {"good", ConfigLoadResult::kOtherChannel},  // channel 1029's signed document served for 4242
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    Serve(4242, c.document);
    TwInstallConfigMgr config{LeafDetailSink()};
    EXPECT_EQ(config.Load(4242), c.code);
  }
  TwInstallConfigMgr unreachable{LeafDetailSink()};
  EXPECT_EQ(unreachable.Load(999999), ConfigLoadResult::kNotFetched) << "a channel the service does not know";
}

}  // namespace
}  // namespace tw
