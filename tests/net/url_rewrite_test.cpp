// The URL rewriting hook with a module of our own in the product directory.
// Its own program: the module is looked for once per process.
#include <gtest/gtest.h>

#include "net/http_transfer.h"
#include "net/url_rewrite.h"
#include "tests/net/net_test_support.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

constexpr wchar_t kProductKey[] = L"software\\tarnwick\\antivirus";

class UrlRewriteTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_productDir = new test::ScratchDir();
    ASSERT_TRUE(::CopyFileW((test::ProgramDir() + L"twdtutil_sample.dll").c_str(),
                            (s_productDir->Path() + L"twdtutil.dll").c_str(), FALSE));
    std::wstring dir = s_productDir->Path();
    dir.pop_back();  // stored without the backslash, as installers often do
    ASSERT_TRUE(test::SetRegString32(HKEY_LOCAL_MACHINE, kProductKey, L"ProgramPath", dir));
  }
  static void TearDownTestSuite() {
    test::DeleteRegTree32(HKEY_LOCAL_MACHINE, kProductKey);
    // The module stays loaded until the process ends; its file goes with the folder later.
  }
  static test::ScratchDir* s_productDir;
};
test::ScratchDir* UrlRewriteTest::s_productDir = nullptr;

TEST_F(UrlRewriteTest, TheModuleRewritesWhatItKnows) {
  EXPECT_EQ(RewriteUrl(L"http://rewrite-me.invalid:18090/c/"), L"http://127.0.0.1:18090/c/");
  EXPECT_EQ(RewriteUrl(L"http://other.example/c/"), L"http://other.example/c/");
}

TEST_F(UrlRewriteTest, PostsGoWhereTheModuleSends) {
  const std::string token = test::UniqueToken();
  std::string answer;
  EXPECT_EQ(HttpPostForm(("http://rewrite-me.invalid:18090/echo/" + token).c_str(), "form", 4, answer), 0);
  EXPECT_EQ(answer, "echo:form");
  EXPECT_EQ(HttpPostBinary(test::Widen("http://rewrite-me.invalid:18090/echo/" + token), "bin", 3, 5, 10, answer), 200);
  EXPECT_EQ(test::PeerRequests("/echo/" + token).size(), 2u);
}

}  // namespace
}  // namespace tw
