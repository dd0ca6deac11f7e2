// Whether a folder the elevated installer keeps files in can be changed by
// anyone but the machine's own accounts. The installer runs elevated while
// every process of the signed-in user runs beside it: a folder that user
// made, or may rename, empty or re-permission, would let them choose what
// the installer writes, deletes or starts. The facts come from the Windows
// side (private_folder_win.h); the rule needs no system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// Windows' access-mask bits the rule asks about, by their own values.
namespace access {
constexpr uint32_t kAddFile = 0x0002;           // FILE_ADD_FILE
constexpr uint32_t kAddSubfolder = 0x0004;      // FILE_ADD_SUBDIRECTORY
constexpr uint32_t kDeleteChild = 0x0040;       // FILE_DELETE_CHILD
constexpr uint32_t kDelete = 0x00010000;        // DELETE
constexpr uint32_t kWriteDac = 0x00040000;      // WRITE_DAC
constexpr uint32_t kWriteOwner = 0x00080000;    // WRITE_OWNER
constexpr uint32_t kGenericAll = 0x10000000;    // GENERIC_ALL
constexpr uint32_t kGenericWrite = 0x40000000;  // GENERIC_WRITE
}  // namespace access

// What lets someone take a folder over: rename or delete it or what is in
// it, or change who may. A parent (e.g. %ProgramData%\Tarnwick) may let
// users add files of their own; it must not let them do this.
constexpr uint32_t kTakeOverRights = access::kDeleteChild | access::kDelete | access::kWriteDac | access::kWriteOwner |
                                     access::kGenericAll | access::kGenericWrite;
// A private folder also lets no one else put a file or a folder in it.
constexpr uint32_t kPrivateFolderRights = kTakeOverRights | access::kAddFile | access::kAddSubfolder;

// SYSTEM, Administrators and TrustedInstaller.
constexpr const wchar_t* kSystemSid = L"S-1-5-18";
constexpr const wchar_t* kAdministratorsSid = L"S-1-5-32-544";
constexpr const wchar_t* kTrustedInstallerSid = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
// CREATOR OWNER: an entry for it stands for the folder's owner.
constexpr const wchar_t* kCreatorOwnerSid = L"S-1-3-0";

struct AccessEntry {
  std::wstring sid;  // "S-1-5-18"
  uint32_t mask = 0;
  bool allows = true;        // false: the entry denies
  bool inheritOnly = false;  // it applies to what the folder holds, not to the folder
};

struct FolderFacts {
  bool exists = false;
  bool isFolder = false;
  bool isLink = false;  // a reparse point, or a name that leads elsewhere
  std::wstring owner;   // empty when it could not be read
  bool hasDacl = true;  // no access list at all lets everyone do everything
  std::vector<AccessEntry> dacl;
};

enum class FolderVerdict { kTrusted, kMissing, kNotAFolder, kLink, kForeignOwner, kOthersMayChange };

// kTrusted when the folder exists, is a folder and no link, is owned by one
// of `trusted` (security identifiers as text), and grants none of
// `forbidden` to anyone else. An unreadable owner is a foreign one.
FolderVerdict JudgeFolder(const FolderFacts& facts, const std::vector<std::wstring>& trusted, uint32_t forbidden);

const char* FolderVerdictName(FolderVerdict verdict);

}  // namespace tw
