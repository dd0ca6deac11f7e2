#include <gtest/gtest.h>

#include "app/channel_info.h"
#include "app/command_line.h"

namespace tw {
namespace {

TEST(ParseSwitches, ReadsEveryForm) {
  const SwitchMap switches = ParseSwitches(
      LR"("C:\Program Files\setup.exe" /cid=12 /tid:34 -silent --update /path="C:\a b\c" /empty= /Tid=35)");
  EXPECT_EQ(switches.at(L"cid"), L"12");
  EXPECT_EQ(switches.at(L"tid"), L"35") << "a repeated switch keeps its last value, names ignore case";
  EXPECT_EQ(switches.at(L"silent"), L"1");
  EXPECT_EQ(switches.at(L"update"), L"1") << "--name equals -name";
  EXPECT_EQ(switches.at(L"path"), L"C:\\a b\\c");
  EXPECT_EQ(switches.at(L"empty"), L"");
  EXPECT_EQ(switches.size(), 6u);
}

TEST(ParseSwitches, EdgesOfTheGrammar) {
  struct Case {
    const wchar_t* commandLine;
    size_t count;
    const wchar_t* name;
    const wchar_t* value;
  } cases[] = {
      {LR"("C:\dir\-x\/y\setup.exe")", 0, nullptr, nullptr},  // only quoted text
      {L"", 0, nullptr, nullptr},
      {L"/a", 1, L"a", L"1"},  // name ends at the end of the text
      {L"/a:", 1, L"a", L""},  // value empty at the end of the text
      {L"/a=\"unterminated value", 1, L"a", L"unterminated value"},
      {L"/a=x=y:z", 1, L"A", L"x=y:z"},         // a plain value runs to the next blank
      {L"x\"/notaswitch\" /b", 1, L"b", L"1"},  // a quoted stretch is skipped
      {L"-\t/c", 2, L"c", L"1"},                // a tab is a blank too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "command line: "
                                    << std::string(c.commandLine, c.commandLine + wcslen(c.commandLine)));
    const SwitchMap switches = ParseSwitches(c.commandLine);
    EXPECT_EQ(switches.size(), c.count);
    if (c.name != nullptr) {
      ASSERT_EQ(switches.count(c.name), 1u);
      EXPECT_EQ(switches.at(c.name), c.value);
    }
  }
}

TEST(GetChannelInfo, CommandLineAndFileName) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* modulePath;
    int cid, tid;
    bool silent, fileNameSilent;
  } cases[] = {
      {L"/cid=12 /tid:34", L"C:\\d\\setup_5_6.exe", 12, 34, false, false},
      {L"/cid=5", L"C:\\d\\x_7_8.exe", 7, 8, false, false},  // the file name overwrites both
      {L"", L"C:\\d\\setup_1029_7_silent.exe", 1029, 7, true, true},
      {L"", L"C:\\d\\setup.exe", 1, 1, false, false},
      {L"", L"C:\\d\\SETUP_5_6.EXE", 1, 1, false, false},            // ".exe" is case-sensitive
      {L"/cid=9", L"C:\\d\\setup.exe", 1, 1, false, false},          // a lone cid is not a channel
      {L"", L"C:\\d\\__setup__12___13_.exe", 12, 13, false, false},  // runs of '_' are one separator
      {L"", L"C:\\d\\a_12.exe", 1, 1, false, false},                 // fewer than three pieces
      {L"/silent", L"C:\\d\\setup.exe", 1, 1, true, false},
      {L"", L"C:\\d\\silent_1_2.exe", 1, 2, false, false},  // piece 0 never asks for silence
      {L"", L"C:\\d\\a_1_2_SiLeNt_x.exe.bak", 1, 2, true, true},
      {L"/cid=abc /tid=7x", L"C:\\d\\setup.exe", 0, 7, false, false},  // leading digits, else 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    ChannelInfo info;
    const bool fileNameSilent = GetChannelInfo(c.commandLine, c.modulePath, info);
    EXPECT_EQ(info.cid, c.cid);
    EXPECT_EQ(info.tid, c.tid);
    EXPECT_EQ(info.silent, c.silent);
    EXPECT_EQ(fileNameSilent, c.fileNameSilent);
  }
}

TEST(GetChannelInfo, DefaultChannelIsOneThree) {
  struct Case {
    const wchar_t* commandLine;
    int cid, tid;
  } cases[] = {
      {L"/cid=1 /tid=1", 1, 3},
      {L"", 1, 3},  // setup.exe and nothing else
      {L"/cid=1 /tid=2", 1, 2},
      {L"/cid=2 /tid=1", 2, 1},
  };
  for (const Case& c : cases) {
    ChannelInfo info;
    GetChannelInfo(c.commandLine, L"C:\\setup.exe", info);
    ApplyDefaultTrial(info);
    EXPECT_EQ(info.cid, c.cid);
    EXPECT_EQ(info.tid, c.tid);
  }
}

TEST(GetChannelInfo, ActionAndWaitTimeAreRead) {
  ChannelInfo info;
  GetChannelInfo(L"/action=4 /waitinstallloadertime=30000", L"setup.exe", info);
  EXPECT_EQ(info.action, 4);
  EXPECT_EQ(info.waitInstallLoaderTime, 30000);
  GetChannelInfo(L"", L"setup.exe", info);
  EXPECT_EQ(info.action, -1);
  EXPECT_EQ(info.waitInstallLoaderTime, -1);
}

}  // namespace
}  // namespace tw
