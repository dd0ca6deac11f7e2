// The software recommendation against the configuration peer's
// recommendation file and the Wine registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>

#include "config/recommendation.h"
#include "tests/win/peer_http_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class RecommendationTest : public testing::Test {
 protected:
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TwRcmdTest"); }

  // Serves `versionBody` (the content of the version element) and asks for scene `scene`.
  bool Recommend(const std::string& versionAttributes, const std::string& versionBody, int scene = 2,
                 int (*draw)() = nullptr) {
    Serve("<version " + versionAttributes + ">" + versionBody + "</version>");
    m_manager = std::make_unique<TwInstallRcmdMgr>(m_dir.Path());
    m_manager->Parser().draw = draw;
    EXPECT_TRUE(m_manager->DownloadCfgFile());
    const bool picked = m_manager->GetRecommendation(scene);
    EXPECT_EQ(::GetFileAttributesW(m_manager->CfgPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "the file is deleted whatever the outcome";
    return picked;
  }
  static void Serve(const std::string& document) {
    std::string answer;
    test::DirectPost("http://127.0.0.1:18080/_peer/container?name=rcmd", document, &answer);
    ASSERT_EQ(answer, "ok");
  }
  std::wstring Reason() const { return m_manager->FailureReason(); }

  test::ScratchDir m_dir;
  std::unique_ptr<TwInstallRcmdMgr> m_manager;
};

int DrawHundred() { return 100; }

const char* kOn = R"(value="1" switch="1")";

TEST_F(RecommendationTest, ParseReasons) {
  EXPECT_FALSE(Recommend(R"(value="2" switch="1")", ""));
  EXPECT_EQ(Reason(), L"CfgVerNotMatch");
  EXPECT_FALSE(Recommend(R"(value="1" switch="0")", ""));
  EXPECT_EQ(Reason(), L"SwithIsOff");
  EXPECT_FALSE(Recommend(kOn, R"(<sence id="2"><soft id="1"><condition/></soft></sence>)", 0));
  EXPECT_EQ(Reason(), L"BadSceneId");
  EXPECT_FALSE(Recommend(kOn, R"(<sence id="3"><soft id="1"><condition/></soft></sence>)"));
  EXPECT_EQ(Reason(), L"NoRcmdItem");
  EXPECT_FALSE(Recommend(kOn, R"(<sence id="2"><soft id="1"><condition/>)"));  // not XML
  EXPECT_EQ(Reason(), L"XmlParseFailed");
}

TEST_F(RecommendationTest, ProbabilityRules) {
  ASSERT_TRUE(Recommend(
      kOn, R"(<sence id="2"><soft id="7" probability="1" desc="浏览器" cid="5" tid="6"><condition/></soft></sence>)", 2,
      &DrawHundred));
  EXPECT_EQ(m_manager->Result().softId, 7) << "the last eligible entry when no draw succeeds";
  EXPECT_EQ(m_manager->Result().desc, L"浏览器");
  EXPECT_EQ(m_manager->Result().check, 1);
  EXPECT_EQ(RecommendationSwitches(m_manager->Result(), m_manager->FailureReason()),
            L"/rcmdfromtwinst /rcmdSceneId=2 /rcmdSoftId=7 /rcmdcheck=1 /rcmdreason=\"\" /rcmdCid=5 /rcmdTid=6 "
            L"/rcmdCanRcmd=1");
  ASSERT_TRUE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1" probability="100"><condition/></soft><soft id="2"><condition/></soft></sence>)", 2,
      &DrawHundred));
  EXPECT_EQ(m_manager->Result().softId, 1) << "the first with probability 100";
  ASSERT_TRUE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1" check="0"><condition/></soft><soft id="2"/><soft id="3"><condition/></soft></sence>)"));
  EXPECT_EQ(m_manager->Result().softId, 1) << "a soft without condition stops the scene; earlier ones stay";
  EXPECT_EQ(m_manager->Result().check, 0);
}

TEST_F(RecommendationTest, RegistryConditions) {
  const std::wstring today = std::to_wstring(static_cast<long long>(std::time(nullptr)));
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TwRcmdTest", L"Installed", REG_SZ, today.c_str(),
                              static_cast<DWORD>((today.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  const DWORD seven = 7;
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\TwRcmdTest", L"Level", REG_DWORD, &seven, 4),
            ERROR_SUCCESS);

  EXPECT_FALSE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><regtime key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Installed" value="3" notRcmdReason="TooSoon"/></condition></soft></sence>)"));
  EXPECT_EQ(Reason(), L"TooSoon");
  EXPECT_NE(RecommendationSwitches(m_manager->Result(), Reason()).find(L"/rcmdreason=\"TooSoon\""), std::wstring::npos);
  EXPECT_FALSE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><regtime key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Installed" value="3"/></condition></soft></sence>)"));
  EXPECT_EQ(Reason(), L"Condition") << "the default reason";
  EXPECT_TRUE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><regtime key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Installed" value="0"/></condition></soft></sence>)"));

  EXPECT_TRUE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><registry key="HKEY_CURRENT_USER\Software\TwNoSuchKey" valuename="x" exist="false"/></condition></soft></sence>)"));
  EXPECT_FALSE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><registry key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Level" minivalue="5" exclude="1, 7"/></condition></soft></sence>)"));
  EXPECT_TRUE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><registry key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Level" minivalue="5" maxvalue="9" exclude="1,,8"/><unknown/></condition></soft></sence>)"));
  EXPECT_FALSE(Recommend(
      kOn,
      R"(<sence id="2"><soft id="1"><condition><registry key="HKEY_CURRENT_USER\Software\TwRcmdTest" valuename="Level" maxvalue="6"/></condition></soft></sence>)"));
}

TEST_F(RecommendationTest, ADownloadThatCannotBeWritten) {
  TwInstallRcmdMgr manager(m_dir.Path() + L"no\\such\\folder");
  EXPECT_FALSE(manager.DownloadCfgFile());
  EXPECT_EQ(manager.FailureReason(), L"DownloadCfgFile Failed");
}

}  // namespace
}  // namespace tw
