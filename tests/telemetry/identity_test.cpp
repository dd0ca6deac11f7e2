// The identifiers against the real Wine registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>

#include "platform/tw_md5.h"
#include "telemetry/machine_identity.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

constexpr wchar_t kIdexKey[] =
    L"CLSID\\{9B7A98EC-7EF9-468c-ACC8-37C793DBD7E0}\\Implemented Categories\\{A5F7140E-4311-4ef9-AABC-F55941B5EBE5}";
constexpr wchar_t kDidKey[] =
    L"CLSID\\{79B5BC47-CEA1-4772-B433-7D1B3139F278}\\Implemented Categories\\{607568DD-B059-434b-B7E7-38EC51998F8E}";
constexpr wchar_t kLookupKey[] =
    L"CLSID\\{8AB9CCC4-75EC-438b-B6C0-D8D78882A12D}\\Implemented Categories\\{6BC04964-67B7-4d50-BB9B-3653A5C305B3}";

// The identifiers live in the 32-bit view, as the installer keeps them.
std::wstring Stored(const wchar_t* key, const wchar_t* name) {
  return test::RegString32(HKEY_CLASSES_ROOT, key, name).value_or(L"?");
}

void Store(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
  ASSERT_TRUE(test::SetRegString32(HKEY_CLASSES_ROOT, key, name, value));
}

bool IsHex(const std::wstring& text, bool upper) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    const bool digit = c >= L'0' && c <= L'9';
    const bool letter = upper ? (c >= L'A' && c <= L'F') : (c >= L'a' && c <= L'f');
    if (!digit && !letter) return false;
  }
  return true;
}

class IdentityTest : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (const wchar_t* key : {kIdexKey, kDidKey, kLookupKey}) test::DeleteRegTree32(HKEY_CLASSES_ROOT, key);
  }
};

TEST_F(IdentityTest, IdexIsMadeLowerCaseAndReturnedUpperCase) {
  const std::wstring first = GetIdex();
  ASSERT_TRUE(IsHex(first, true)) << std::string(first.begin(), first.end());
  const std::wstring stored = Stored(kIdexKey, L"idex");
  EXPECT_TRUE(IsHex(stored, false));
  std::wstring upper = stored;
  for (auto& c : upper) c = static_cast<wchar_t>(std::towupper(c));
  EXPECT_EQ(upper, first);
  EXPECT_EQ(Stored(kIdexKey, L"idno"), L"1");
  EXPECT_EQ(GetIdex(), first) << "the second call returns the same identifier";
}

TEST_F(IdentityTest, AStoredIdexIsReturnedAndWrittenBackUnchanged) {
  Store(kIdexKey, L"idex", L"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(GetIdex(), L"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(Stored(kIdexKey, L"idex"), L"0123456789ABCDEF0123456789ABCDEF");
  EXPECT_EQ(Stored(kIdexKey, L"idno"), L"1") << "idno is written on every call";

  const DWORD number = 7;  // a value of another type counts as empty: a new one is made
  ASSERT_TRUE(test::SetRegValue32(HKEY_CLASSES_ROOT, kIdexKey, L"idex", REG_DWORD, &number, sizeof number));
  EXPECT_TRUE(IsHex(GetIdex(), true));
  EXPECT_TRUE(IsHex(Stored(kIdexKey, L"idex"), false));
}

TEST_F(IdentityTest, DidHashesTheHardwareOnceAndIsThenRead) {
  const std::wstring did = GetDid();
  ASSERT_TRUE(IsHex(did, true));
  const std::string text = ReadHardwareText();
  uint8_t digest[kMd5Size];
  Md5Buffer(text.data(), text.size(), digest);
  const std::string expected = Md5Hex(digest, true);
  EXPECT_EQ(did, std::wstring(expected.begin(), expected.end())) << text;
  EXPECT_EQ(Stored(kDidKey, L"did"), did);

  Store(kDidKey, L"did", L"stored-as-is");
  EXPECT_EQ(GetDid(), L"stored-as-is");
}

TEST_F(IdentityTest, LookupIdexIsReadOrMadeWithoutStoring) {
  EXPECT_EQ(GetLookupIdex(false), L"");
  const std::wstring made = GetLookupIdex(true);
  EXPECT_TRUE(IsHex(made, false));
  EXPECT_NE(GetLookupIdex(true), made) << "fresh at every call";
  EXPECT_EQ(GetLookupIdex(false), L"") << "nothing was stored";
  Store(kLookupKey, L"idex", L"abc");
  EXPECT_EQ(GetLookupIdex(true), L"abc");
}

TEST(HardwareParts, EachReaderAnswersOrFallsBack) {
  const HardwareParts parts = ReadHardwareParts();
  // Under Wine most parts are unreadable; the report shows which answered.
  RecordProperty("processor", parts.processor.value_or("NONECPU"));
  RecordProperty("disk", parts.diskModel.value_or("NOHARDDISK"));
  RecordProperty("mainboard", parts.mainboardSerial.value_or("NOMAINBOARD"));
  RecordProperty("mac", parts.networkAddress.value_or("NOMAC"));
  RecordProperty("sound", parts.soundDevice);
  ASSERT_TRUE(parts.processor.has_value()) << "CPUID works on every x86 machine";
  EXPECT_EQ(parts.processor->size(), 16u);
  EXPECT_EQ(ReadHardwareText().rfind(*parts.processor, 0), 0u);
}

}  // namespace
}  // namespace tw
