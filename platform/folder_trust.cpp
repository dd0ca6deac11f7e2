#include "platform/folder_trust.h"

#include <algorithm>

namespace tw {
namespace {

bool IsOneOf(const std::wstring& sid, const std::vector<std::wstring>& trusted) {
  return std::find(trusted.begin(), trusted.end(), sid) != trusted.end();
}

}  // namespace

FolderVerdict JudgeFolder(const FolderFacts& facts, const std::vector<std::wstring>& trusted, uint32_t forbidden) {
  if (!facts.exists) return FolderVerdict::kMissing;
  if (facts.isLink) return FolderVerdict::kLink;
  if (!facts.isFolder) return FolderVerdict::kNotAFolder;
  if (facts.owner.empty() || !IsOneOf(facts.owner, trusted)) return FolderVerdict::kForeignOwner;
  if (!facts.hasDacl) return FolderVerdict::kOthersMayChange;
  for (const AccessEntry& entry : facts.dacl) {
    // A deny entry takes nothing away that matters here: Windows reads
    // entries in order, so an allow before it still counts. Judged on allows
    // alone, a folder is never trusted for a deny it may not honour.
    if (!entry.allows || entry.inheritOnly || (entry.mask & forbidden) == 0) continue;
    const std::wstring& holder = entry.sid == kCreatorOwnerSid ? facts.owner : entry.sid;
    if (!IsOneOf(holder, trusted)) return FolderVerdict::kOthersMayChange;
  }
  return FolderVerdict::kTrusted;
}

const char* FolderVerdictName(FolderVerdict verdict) {
  switch (verdict) {
    case FolderVerdict::kTrusted: return "trusted";
    case FolderVerdict::kMissing: return "missing";
    case FolderVerdict::kNotAFolder: return "not a folder";
    case FolderVerdict::kLink: return "a link";
    case FolderVerdict::kForeignOwner: return "owned by another account";
    case FolderVerdict::kOthersMayChange: return "others may change it";
  }
  return "?";
}

}  // namespace tw
