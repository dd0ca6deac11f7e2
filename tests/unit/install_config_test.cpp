#include <gtest/gtest.h>

#include "config/install_config.h"

namespace tw {
namespace {

const char* kPackage =
    R"(<dlfile url="http://h/p.exe" md5="D41D8CD98F00B204E9800998ECF8427E" moduletype="exe" path="%TEMP%\p.exe" )"
    R"(downloadtype="http"/>)";

std::string Document(const std::string& install, const std::string& extra = "",
                     const std::string& condition = "<condition/>") {
  return "<root><check><item id=\"1\" name=\"n\" value=\"\"/></check>" + extra + "<install>" + install + "</install>" +
         condition + "</root>";
}

std::string Company(const std::string& trynos) { return "<company id=\"1029\" version=\"4\">" + trynos + "</company>"; }

TEST(InstallConfiguration, NodesEntriesAndDefaults) {
  InstallConfiguration config;
  ASSERT_TRUE(config.Parse(Document(Company(
      std::string(R"(<tryno id="7" version="2" Interval="30" reid="5" condition="1" title="T">)") + kPackage +
      R"(<dlfile url="u" md5="m" moduletype="dll" path="p" downloadtype="x" show="0" noshowinstalldlg="0" downloadtime=" 60"/>)"
      R"(<dlfile url="u" md5="m" moduletype="exe" path="p"/></tryno>)"
      R"(<tryno id="7" version="9">)" +
      kPackage + "</tryno>"))));
  const TwTrynoNode* node = config.GetTrynoNode(7);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->version, 2) << "the first usable node with an id wins";
  EXPECT_EQ(node->interval, 30);
  EXPECT_EQ(node->title, "T");
  ASSERT_EQ(node->packages.size(), 2u) << "the entry without downloadtype is dropped";
  EXPECT_EQ(node->packages[0].noshowinstalldlg, 1);
  EXPECT_EQ(node->packages[0].downloadtime, 0);
  EXPECT_EQ(node->packages[0].show, kDefaultPackageShow);
  EXPECT_EQ(node->packages[0].path, "%TEMP%\\p.exe");
  EXPECT_EQ(node->packages[1].show, 0);
  EXPECT_EQ(node->packages[1].noshowinstalldlg, 0);
  EXPECT_EQ(node->packages[1].downloadtime, 60) << "TinyXML's integer query allows leading blanks";
  EXPECT_EQ(config.GetTrynoNode(8), nullptr);
  EXPECT_EQ(config.CheckInstallCondition(""), ConditionResult::kSatisfied);
}

TEST(InstallConfiguration, DocumentsThatFail) {
  const std::string good = Company(std::string(R"(<tryno id="3" version="1">)") + kPackage + "</tryno>");
  struct Case {
    std::string text;
    bool parses;
  } cases[] = {
      {Document(good), true},
      {"<Root/>", false},
      {"<root><check/>", false},                                                             // not XML
      {"<root><install>" + good + "</install><condition/></root>", false},                   // no check
      {"<root><check/><condition/></root>", false},                                          // no install
      {Document(Company(R"(<tryno id="3" version="1"><dlfile url="u"/></tryno>)")), false},  // no usable node
      {Document("<company id=\"0\" version=\"4\"/>"), false},
      {Document(good, "", ""), false},  // no condition
      {Document(good, "", R"(<condition><item id="1" expression="1 &amp; 2"/></condition>)"), false},
      {Document(good, "", R"(<condition><item id="2" expression="1&amp;2"/></condition>)"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    InstallConfiguration config;
    EXPECT_EQ(config.Parse(c.text), c.parses);
  }
  InstallConfiguration config;
  ASSERT_TRUE(config.Parse(cases[9].text));
  ASSERT_NE(config.GetConditionItem(2), nullptr);
  EXPECT_EQ(config.GetConditionItem(2)->Expression(), "1&2");
  EXPECT_EQ(InstallConfiguration().CheckInstallCondition("1"), ConditionResult::kMissing) << "nothing loaded";
}

TEST(InstallConfiguration, ReportMap) {
  const std::string company = Company(std::string(R"(<tryno id="3" version="1">)") + kPackage + "</tryno>");
  InstallConfiguration config;
  ASSERT_TRUE(config.Parse(Document(company, R"(<other>
      <item name="Report" reid="5"><leaf type="reg" channel="tid1" mainkey="HKLM" path="p" keyname="k" regtype="dword"/>
        <leaf type="file" channel="tod2"/></item>
      <item name="other" reid="5"><leaf type="reg"/></item>
      <item name="report" reid="6"><leaf channel="tid2"/></item></other>)")));
  EXPECT_EQ(config.ReportMap().count(5), 2u);
  EXPECT_EQ(config.ReportMap().count(6), 1u);
  EXPECT_EQ(config.ReportMap().find(5)->second.mainkey, "HKLM");

  InstallConfiguration unnamed;
  ASSERT_TRUE(
      unnamed.Parse(Document(company, R"(<other><item name="report" reid="5"><leaf/></item><item reid="6"/></other>)")))
      << "an item without a name stops the report parse, not the document";
  EXPECT_TRUE(unnamed.ReportMap().empty());
}

}  // namespace
}  // namespace tw
