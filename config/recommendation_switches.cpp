#include "config/recommendation.h"
#include "platform/text.h"

namespace tw {

// The reason comes from the recommendation file, which is masked, not
// signed: it must not be able to close its quotes and add switches.
std::wstring RecommendationSwitches(const RecommendationResult& r, const std::wstring& failureReason) {
  const std::wstring reason = r.canRecommend ? L"" : failureReason;
  return L"/rcmdfromtwinst /rcmdSceneId=" + std::to_wstring(r.scene) + L" /rcmdSoftId=" + std::to_wstring(r.softId) +
         L" /rcmdcheck=" + std::to_wstring(r.check) + L" /rcmdreason=\"" + QuotableText(reason) + L"\" /rcmdCid=" +
         std::to_wstring(r.cid) + L" /rcmdTid=" + std::to_wstring(r.tid) + L" /rcmdCanRcmd=" +
         std::to_wstring(r.canRecommend);
}

}  // namespace tw
