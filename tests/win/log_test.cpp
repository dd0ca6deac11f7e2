#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/log.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class LogTest : public testing::Test {
 protected:
  std::wstring LogPath() const { return m_dir.Path() + L"twinst.log"; }
  test::ScratchDir m_dir;
  TwLog m_log;
};

TEST_F(LogTest, LinesCarryTheTimePrefixAndEndInCrLf) {
  EXPECT_EQ(m_log.Write("before start %d", 1), 0);
  ASSERT_TRUE(m_log.Start(LogPath()));
  EXPECT_TRUE(m_log.Start(LogPath())) << "Start is idempotent while started";
  EXPECT_EQ(m_log.Write("nRet=%d %s", 7, "\xD6\xD0\xCE\xC4"), 11);  // GBK text passes through untouched
  EXPECT_EQ(m_log.Write("second"), 6);
  m_log.Stop();
  EXPECT_EQ(m_log.Write("after stop"), 0);

  const std::string text = test::ReadWholeFile(LogPath());
  const std::regex expected(
      "\\d{4}-\\d{1,2}-\\d{1,2} \\d\\d:\\d\\d:\\d\\d \\d{3}  nRet=7 \xD6\xD0\xCE\xC4\r\n"
      "\\d{4}-\\d{1,2}-\\d{1,2} \\d\\d:\\d\\d:\\d\\d \\d{3}  second\r\n");
  EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST_F(LogTest, LongMessagesAreCutTo499Bytes) {
  ASSERT_TRUE(m_log.Start(LogPath()));
  EXPECT_LT(m_log.Write("%s", std::string(600, 'm').c_str()), 0);
  m_log.Stop();
  const std::string text = test::ReadWholeFile(LogPath());
  const size_t start = text.find("  m") + 2;
  EXPECT_EQ(text.substr(start), std::string(499, 'm') + "\r\n");
}

TEST_F(LogTest, RotatesOnlyAboveTheLimitAtStart) {
  const std::wstring older = LogPath() + L"0";
  ASSERT_TRUE(test::WriteWholeFile(older, "oldest"));
  ASSERT_TRUE(test::WriteWholeFile(LogPath(), std::string(600000, 'a')));
  ASSERT_TRUE(m_log.Start(LogPath()));
  m_log.Write("fresh");
  m_log.Stop();
  EXPECT_EQ(test::ReadWholeFile(older).size(), 600000u) << "the large log replaced the older one";
  EXPECT_NE(test::ReadWholeFile(LogPath()).find("fresh\r\n"), std::string::npos);
  EXPECT_LT(test::ReadWholeFile(LogPath()).size(), 100u);

  ASSERT_TRUE(test::WriteWholeFile(LogPath(), std::string(500000, 'b')));
  ASSERT_TRUE(m_log.Start(LogPath()));  // Stop then Start: a new writer on the same file
  m_log.Write("appended");
  m_log.Stop();
  const std::string text = test::ReadWholeFile(LogPath());
  EXPECT_EQ(text.substr(0, 500000), std::string(500000, 'b'));
  EXPECT_NE(text.find("appended\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadWholeFile(older).size(), 600000u);
}

TEST_F(LogTest, AnotherProcessPausesAndResumesTheLog) {
  ASSERT_TRUE(m_log.Start(LogPath()));
  const std::wstring event = TwLog::EnableEventName(::GetCurrentProcessId());
  const std::wstring helper = L"\"" + test::ProgramDir() + L"tw_test_helper.exe\" ";

  EXPECT_GT(m_log.Write("one"), 0);
  ASSERT_EQ(test::RunProcess(helper + L"reset-event " + event), 0u);
  EXPECT_EQ(m_log.Write("dropped"), 0);
  ASSERT_EQ(test::RunProcess(helper + L"set-event " + event), 0u);
  EXPECT_GT(m_log.Write("two"), 0);
  m_log.Stop();

  const std::string text = test::ReadWholeFile(LogPath());
  EXPECT_NE(text.find("one\r\n"), std::string::npos);
  EXPECT_NE(text.find("two\r\n"), std::string::npos);
  EXPECT_EQ(text.find("dropped"), std::string::npos);
}

TEST_F(LogTest, AnUnopenableFileNeverBlocksWriteOrStop) {
  // A directory where the file should be: every open fails, writes still return.
  const std::wstring blocked = m_dir.Path() + L"blocked";
  ASSERT_TRUE(::CreateDirectoryW(blocked.c_str(), nullptr));
  ASSERT_TRUE(m_log.Start(blocked));
  EXPECT_GT(m_log.Write("kept in memory"), 0);
  m_log.Stop();
  ::RemoveDirectoryW(blocked.c_str());
}

}  // namespace
}  // namespace tw
