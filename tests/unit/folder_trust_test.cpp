#include <gtest/gtest.h>

#include "platform/folder_trust.h"
#include "platform/path_rules.h"

namespace tw {
namespace {

const std::vector<std::wstring> kMachine = {kSystemSid, kAdministratorsSid, kTrustedInstallerSid};
constexpr const wchar_t* kUser = L"S-1-5-21-1-2-3-1001";
constexpr const wchar_t* kUsers = L"S-1-5-32-545";
constexpr uint32_t kFull = 0x001F01FF;
constexpr uint32_t kReadAndRun = 0x001200A9;
constexpr uint32_t kAddOnly = 0x00000116;  // write data, add folders, extended attributes, attributes

FolderFacts Folder(std::wstring owner, std::vector<AccessEntry> dacl) {
  FolderFacts facts;
  facts.exists = facts.isFolder = true;
  facts.owner = std::move(owner);
  facts.dacl = std::move(dacl);
  return facts;
}

// The folders a standard user can make or reach in %ProgramData%, and the
// ones the installer makes, as a private folder and as a parent.
TEST(FolderTrust, OnlyTheMachinesAccountsMayChangeAPrivateFolder) {
  const FolderFacts made = Folder(kAdministratorsSid, {{kSystemSid, kFull}, {kAdministratorsSid, kFull}});
  // %ProgramData%'s own entries, as a folder made in it inherits them.
  const FolderFacts inheritedByAdmin = Folder(kAdministratorsSid, {{kSystemSid, kFull},
                                                                   {kAdministratorsSid, kFull},
                                                                   {kCreatorOwnerSid, kFull, true, true},
                                                                   {kAdministratorsSid, kFull},
                                                                   {kUsers, kReadAndRun},
                                                                   {kUsers, kAddOnly}});
  FolderFacts inheritedByUser = inheritedByAdmin;
  inheritedByUser.owner = kUser;
  inheritedByUser.dacl[3].sid = kUser;  // what CREATOR OWNER became
  FolderFacts link = made;
  link.isLink = true;
  FolderFacts file = made;
  file.isFolder = false;
  FolderFacts noList = made;
  noList.hasDacl = false;
  FolderFacts unreadableOwner = made;
  unreadableOwner.owner.clear();
  const FolderFacts creatorOwnerOnChildren =
      Folder(kUser, {{kSystemSid, kFull}, {kAdministratorsSid, kFull}, {kCreatorOwnerSid, kFull, true, true}});
  const FolderFacts creatorOwnerOfUser = Folder(kAdministratorsSid, {{kCreatorOwnerSid, kFull}});
  const FolderFacts deniedThenAllowed = Folder(kAdministratorsSid, {{kUsers, kFull, false}, {kUsers, access::kDelete}});

  struct Case {
    const char* name;
    const FolderFacts& facts;
    FolderVerdict asPrivate, asParent;
  } cases[] = {
      {"made by the installer", made, FolderVerdict::kTrusted, FolderVerdict::kTrusted},
      {"an administrator's, inheriting", inheritedByAdmin, FolderVerdict::kOthersMayChange, FolderVerdict::kTrusted},
      {"a user's, inheriting", inheritedByUser, FolderVerdict::kForeignOwner, FolderVerdict::kForeignOwner},
      {"a link", link, FolderVerdict::kLink, FolderVerdict::kLink},
      {"a file", file, FolderVerdict::kNotAFolder, FolderVerdict::kNotAFolder},
      {"no access list", noList, FolderVerdict::kOthersMayChange, FolderVerdict::kOthersMayChange},
      {"an owner not read", unreadableOwner, FolderVerdict::kForeignOwner, FolderVerdict::kForeignOwner},
      {"a user's, whatever it says", creatorOwnerOnChildren, FolderVerdict::kForeignOwner,
       FolderVerdict::kForeignOwner},
      {"creator owner stands for the owner", creatorOwnerOfUser, FolderVerdict::kTrusted, FolderVerdict::kTrusted},
      {"a deny does not hide an allow", deniedThenAllowed, FolderVerdict::kOthersMayChange,
       FolderVerdict::kOthersMayChange},
      {"absent", FolderFacts{}, FolderVerdict::kMissing, FolderVerdict::kMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(JudgeFolder(c.facts, kMachine, kPrivateFolderRights), c.asPrivate);
    EXPECT_EQ(JudgeFolder(c.facts, kMachine, kTakeOverRights), c.asParent);
  }
}

TEST(FolderTrust, AFileIsInTheFolderOnlyByAPlainName) {
  const std::wstring work = L"C:\\ProgramData\\Tarnwick\\TwInstall\\Work\\";
  struct Case {
    std::wstring path;
    bool inside;
  } cases[] = {
      {work + L"pkg_1a2b.exe", true},
      {L"c:\\programdata\\TARNWICK\\twinstall\\work\\pkg.exe", true},
      {work, false},
      {work + L"sub\\pkg.exe", false},
      {work + L"..\\pending_records.dat", false},
      {work + L"..", false},
      {work + L"pkg.exe:stream", false},
      {work + L"a/b.exe", false},
      {L"C:\\Users\\u\\AppData\\Local\\Temp\\pkg.exe", false},
      {L"C:\\ProgramData\\Tarnwick\\TwInstall\\Work2\\pkg.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.path.begin(), c.path.end()));
    EXPECT_EQ(IsFileInFolder(work, c.path), c.inside);
  }
  EXPECT_FALSE(IsFileInFolder(L"C:\\Work", L"C:\\Work\\x.exe")) << "a folder is given with its backslash";
  EXPECT_EQ(FileNameOf(L"%TEMP%\\twroad\\pkg_1a2b.exe"), L"pkg_1a2b.exe");
  EXPECT_EQ(FileNameOf(L"C:/x/y.dll"), L"y.dll");
  EXPECT_EQ(FileNameOf(L"C:\\x\\"), L"");
  EXPECT_EQ(FileNameOf(L"C:\\x\\.."), L"");
}

}  // namespace
}  // namespace tw
