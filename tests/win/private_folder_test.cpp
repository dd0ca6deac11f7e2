// The private folders under Wine for real: what the installer makes can be
// changed by no one else, and a folder that others may change, or a file in
// a folder's place, is moved aside with what it holds and made anew.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include <string>

#include "platform/folder_trust.h"
#include "platform/win/private_folder_win.h"
#include "platform/win/unique_handle_win.h"
#include "tests/win/test_support_win.h"

namespace tw {
namespace {

class PrivateFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    m_base = std::wstring(temp) + L"twprivate_" + std::to_wstring(::GetCurrentProcessId());
    Remove();
    ASSERT_TRUE(::CreateDirectoryW(m_base.c_str(), nullptr));
  }
  void TearDown() override { Remove(); }
  void Remove() {
    std::wstring from = m_base + L'\0';  // double-ended, as the shell wants
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    (void)::SHFileOperationW(&operation);
  }
  static bool LetEveryoneChange(const std::wstring& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
      return false;
    }
    const win::UniqueLocalMemory owned(descriptor);
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    return ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
  }
  static FolderVerdict Judged(const std::wstring& path, uint32_t forbidden) {
    return JudgeFolder(win::ReadFolderFacts(path), win::MachineAccounts(), forbidden);
  }
  std::wstring m_base;
};

TEST_F(PrivateFolderTest, MadeSoThatNoOneElseMayChangeIt) {
  const auto work = win::PrepareTrustedFolders(m_base, {L"Tarnwick", L"TwInstall", L"Work"});
  ASSERT_TRUE(work.has_value());
  EXPECT_EQ(*work, m_base + L"\\Tarnwick\\TwInstall\\Work\\");
  EXPECT_EQ(Judged(m_base + L"\\Tarnwick\\TwInstall", kPrivateFolderRights), FolderVerdict::kTrusted);
  EXPECT_EQ(Judged(m_base + L"\\Tarnwick\\TwInstall\\Work", kPrivateFolderRights), FolderVerdict::kTrusted);
  EXPECT_EQ(Judged(m_base + L"\\Tarnwick", kTakeOverRights), FolderVerdict::kTrusted);
  // Asked again, the same folders serve as they are.
  ASSERT_TRUE(test::WriteWholeFile(*work + L"kept.bin", "kept"));
  EXPECT_EQ(win::PrepareTrustedFolders(m_base, {L"Tarnwick", L"TwInstall", L"Work"}), work);
  EXPECT_EQ(test::ReadWholeFile(*work + L"kept.bin"), "kept");
}

TEST_F(PrivateFolderTest, AFolderOthersMayChangeOrAFileInItsPlaceIsMovedAsideAndMadeAnew) {
  // Made before the installer ever ran, open to everyone, with a file of
  // someone else's in it; and a file where the next folder belongs.
  const std::wstring planted = m_base + L"\\Tarnwick\\TwInstall";
  ASSERT_TRUE(::CreateDirectoryW((m_base + L"\\Tarnwick").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(planted.c_str(), nullptr));
  ASSERT_TRUE(LetEveryoneChange(planted));
  ASSERT_EQ(Judged(planted, kPrivateFolderRights), FolderVerdict::kOthersMayChange) << "the attack is in place";
  ASSERT_TRUE(test::WriteWholeFile(planted + L"\\pending_records.dat", "theirs"));
  ASSERT_TRUE(test::WriteWholeFile(planted + L"\\Work", "a file, not a folder"));

  const auto work = win::PrepareTrustedFolders(m_base, {L"Tarnwick", L"TwInstall", L"Work"});
  ASSERT_TRUE(work.has_value());
  EXPECT_EQ(Judged(planted, kPrivateFolderRights), FolderVerdict::kTrusted);
  EXPECT_EQ(Judged(planted + L"\\Work", kPrivateFolderRights), FolderVerdict::kTrusted);
  EXPECT_EQ(::GetFileAttributesW((planted + L"\\pending_records.dat").c_str()), INVALID_FILE_ATTRIBUTES)
      << "nothing of theirs in the folder made anew";
  // Moved, not deleted: what they held is where it was put aside.
  const std::wstring aside = planted + L".untrusted-1";
  EXPECT_EQ(test::ReadWholeFile(aside + L"\\pending_records.dat"), "theirs");
  EXPECT_EQ(test::ReadWholeFile(aside + L"\\Work"), "a file, not a folder");
}

}  // namespace
}  // namespace tw
