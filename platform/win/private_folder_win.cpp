#include "platform/win/private_folder_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <mutex>
#include <vector>

#include "platform/log.h"
#include "platform/win/link_safe_win.h"
#include "platform/win/unique_handle_win.h"

namespace tw::win {
namespace {

// SYSTEM and Administrators, nothing inherited from %ProgramData% (where
// every user may add files and owns what they add). Owned by Administrators
// even where the policy makes an administrator's objects their own.
constexpr wchar_t kPrivateSecurity[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr wchar_t kPrivateSecurityNoOwner[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr int kMoveAsideAttempts = 100;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The item at `path` itself: a link is opened as the link where the system
// can (Windows), never followed on purpose.
UniqueFile OpenItem(const std::wstring& path, DWORD access) {
  return UniqueFile(::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::wstring SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !::ConvertSidToStringSidW(sid, &text)) return {};
  const UniqueLocalMemory owned(text);
  return text;
}

FolderFacts FactsOf(HANDLE item, const std::wstring& path) {
  FolderFacts facts;
  facts.exists = true;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(item, &information)) return facts;
  facts.isFolder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.isLink = (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !NamesItself(item, path);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(item, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return facts;  // no owner read: judged foreign
  }
  const UniqueLocalMemory ownedDescriptor(descriptor);
  facts.owner = SidText(owner);
  facts.hasDacl = dacl != nullptr;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    AccessEntry entry;
    entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
      // Both kinds share their layout: header, mask, then the SID.
      const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
      entry.allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
      entry.mask = ace->Mask;
      entry.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
    } else {
      // A kind this rule does not read (object, callback entries): taken as
      // granting everything to someone unknown, so the folder is not trusted.
      entry.mask = 0xFFFFFFFF;
    }
    facts.dacl.push_back(std::move(entry));
  }
  return facts;
}

// Renames the untrusted item at `path` to a free "<path>.untrusted-<n>",
// by a handle on the item itself and only while that handle names it: what
// a link leads to is never moved. Its content is kept, not deleted.
bool MoveAside(const std::wstring& path, uint32_t forbidden) {
  UniqueFile item = OpenItem(path, DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES);
  // A folder whose list denies us reading it can still be renamed: our
  // right to remove what %ProgramData% holds gives DELETE.
  if (!item && ::GetLastError() == ERROR_ACCESS_DENIED) item = OpenItem(path, DELETE | FILE_READ_ATTRIBUTES);
  if (!item) return false;
  if (JudgeFolder(FactsOf(item.Get(), path), MachineAccounts(), forbidden) == FolderVerdict::kTrusted) return true;
  if (!NamesItself(item.Get(), path)) {
    LogWrite("PrivateFolder: %ls is a link that cannot be moved by itself; left alone", path.c_str());
    return false;
  }
  for (int n = 1; n <= kMoveAsideAttempts; ++n) {
    const std::wstring aside = path + L".untrusted-" + std::to_wstring(n);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + aside.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(aside.size() * sizeof(wchar_t));
    std::copy(aside.begin(), aside.end(), rename->FileName);
    if (::SetFileInformationByHandle(item.Get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
      LogWrite("PrivateFolder: %ls was not the machine's; moved to %ls", path.c_str(), aside.c_str());
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
      LogWrite("PrivateFolder: %ls could not be moved aside (error %lu)", path.c_str(), error);
      return false;
    }
  }
  return false;
}

bool MakeFolder(const std::wstring& path, bool isPrivate) {
  if (!isPrivate) return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
  for (const wchar_t* sddl : {kPrivateSecurity, kPrivateSecurityNoOwner}) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
      return false;
    }
    const UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (::CreateDirectoryW(path.c_str(), &attributes) || ::GetLastError() == ERROR_ALREADY_EXISTS) return true;
    // A token that may not name Administrators the owner: made with the
    // default owner, and judged by it.
    if (::GetLastError() != ERROR_INVALID_OWNER) return false;
  }
  return false;
}

// One level: trusted as it is, or made so.
bool PrepareLevel(const std::wstring& path, bool isPrivate) {
  const uint32_t forbidden = isPrivate ? kPrivateFolderRights : kTakeOverRights;
  FolderVerdict verdict = JudgeFolder(ReadFolderFacts(path), MachineAccounts(), forbidden);
  if (verdict == FolderVerdict::kTrusted) return true;
  if (verdict != FolderVerdict::kMissing) {
    LogWrite("PrivateFolder: %ls is %s", path.c_str(), FolderVerdictName(verdict));
    if (!MoveAside(path, forbidden)) return false;
  }
  if (!MakeFolder(path, isPrivate)) {
    LogWrite("PrivateFolder: %ls could not be made (error %lu)", path.c_str(), ::GetLastError());
    return false;
  }
  verdict = JudgeFolder(ReadFolderFacts(path), MachineAccounts(), forbidden);
  if (verdict != FolderVerdict::kTrusted)
    LogWrite("PrivateFolder: %ls made anew is %s", path.c_str(), FolderVerdictName(verdict));
  return verdict == FolderVerdict::kTrusted;
}

std::optional<std::wstring> ProgramDataLevels(const std::vector<std::wstring>& levels) {
  wchar_t common[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) return {};
  return PrepareTrustedFolders(common, levels);
}

}  // namespace

FolderFacts ReadFolderFacts(const std::wstring& path) {
  UniqueFile item = OpenItem(path, READ_CONTROL | FILE_READ_ATTRIBUTES);
  if (item) return FactsOf(item.Get(), path);
  const DWORD error = ::GetLastError();
  FolderFacts facts;
  facts.exists = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  return facts;  // there but not readable: judged foreign
}

const std::vector<std::wstring>& MachineAccounts() {
  static const std::vector<std::wstring> accounts = [] {
    std::vector<std::wstring> list = {kSystemSid, kAdministratorsSid, kTrustedInstallerSid};
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      const std::wstring owner = ReadFolderFacts(system).owner;
      if (!owner.empty()) list.push_back(owner);
    }
    return list;
  }();
  return accounts;
}

std::optional<std::wstring> PrepareTrustedFolders(const std::wstring& base, const std::vector<std::wstring>& levels) {
  // The worker and the telemetry reporter may both ask: one moves a folder
  // aside and makes it anew, and the other must not judge the old one.
  static std::mutex preparing;
  const std::lock_guard<std::mutex> guard(preparing);
  std::wstring path = base;
  for (size_t i = 0; i < levels.size(); ++i) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += levels[i];
    if (!PrepareLevel(path, i > 0)) return std::nullopt;
  }
  return path + L'\\';
}

std::optional<std::wstring> MachineFolder() { return ProgramDataLevels({L"Tarnwick", L"TwInstall"}); }

std::optional<std::wstring> WorkFolder() { return ProgramDataLevels({L"Tarnwick", L"TwInstall", L"Work"}); }

}  // namespace tw::win
