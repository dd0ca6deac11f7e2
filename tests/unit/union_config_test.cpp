#include <gtest/gtest.h>

#include "platform/path_rules.h"
#include "survey/union_config.h"

namespace anti_cheat {
namespace {

std::string Masked(const std::string& xml) {
  std::string bytes = ".tmp";
  for (char c : xml) bytes += static_cast<char>(c ^ 0x3E);
  return bytes;
}

TEST(UnionConfig, MagicAndMask) {
  EXPECT_EQ(UnmaskUnionConfig(Masked("<root/>")), std::optional<std::string>("<root/>"));
  EXPECT_EQ(UnmaskUnionConfig(Masked("")), std::optional<std::string>(""));
  EXPECT_FALSE(UnmaskUnionConfig("").has_value());
  EXPECT_FALSE(UnmaskUnionConfig(".tm").has_value());
  EXPECT_FALSE(UnmaskUnionConfig(".TMP" + Masked("<root/>").substr(4)).has_value()) << "another magic";
}

TEST(UnionConfig, PathText) {
  EXPECT_EQ(ExecutableFromCommand(L"\"C:\\Bar\\client.exe\" -silent"), L"C:\\Bar\\client.exe");
  EXPECT_EQ(ExecutableFromCommand(L"  C:\\Bar\\client.exe.bak "), L"C:\\Bar\\client.exe");
  EXPECT_EQ(ExecutableFromCommand(L"C:\\Bar\\CLIENT.EXE"), L"C:\\Bar\\CLIENT.EXE") << "case-sensitive .exe";
  EXPECT_EQ(ParentFolder(L"C:\\Bar\\client.exe"), L"C:\\Bar\\");
  EXPECT_EQ(ParentFolder(L"client.exe"), L"");
  EXPECT_EQ(tw::NormalizeSeparators(L"C:\\Program Files/Cafe//x\\\\\\y.exe"), L"C:\\Program Files\\Cafe\\x\\y.exe");
}

}  // namespace
}  // namespace anti_cheat
