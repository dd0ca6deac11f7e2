#include "install/road_results.h"

#include "install/road_codes.h"

namespace tw::road {

// Each switch names every result, so a result added below fails the build
// here until the road decides what it reports; a value outside the enum
// (never made by the code below) reports its own number.

int CodeOf(ConfigLoadResult result) {
  switch (result) {
    case ConfigLoadResult::kLoaded: return kOk;
    case ConfigLoadResult::kNotFetched: return kConfigNotFetched;
    case ConfigLoadResult::kInvalid: return kConfigNotValid;
    case ConfigLoadResult::kEmptyText: return kConfigEmpty;
    case ConfigLoadResult::kOtherChannel: return kConfigForAnotherChannel;
  }
  return static_cast<int>(result);
}

int CodeOf(ConditionResult result) {
  switch (result) {
    case ConditionResult::kSatisfied: return kOk;
    case ConditionResult::kNotSatisfied: return kConditionFalse;
    case ConditionResult::kMissing: return kNoCondition;
    case ConditionResult::kMalformed: return kConditionMalformed;
    case ConditionResult::kBadCharacter: return kConditionBadCharacter;
  }
  return static_cast<int>(result);
}

int CodeOf(DownloadFileResult result) {
  switch (result) {
    case DownloadFileResult::kOk: return kOk;
    case DownloadFileResult::kBadArguments: return kEmptyUrlOrFile;
    case DownloadFileResult::kMissing: return kFileMissingAfterDownload;
    case DownloadFileResult::kFailed: return kDownloadFailed;
    case DownloadFileResult::kWebPage: return kWebPageInsteadOfPackage;
    case DownloadFileResult::kNoSpace: return kNotEnoughSpace;
  }
  return static_cast<int>(result);
}

int CodeOf(DownloaderResult result) {
  switch (result) {
    case DownloaderResult::kComplete: return kOk;
    case DownloaderResult::kNoHandle: return kResumableNoHandle;
    case DownloaderResult::kInvalid: return kResumableInvalid;
    case DownloaderResult::kHeadFailed: return kResumableHeadFailed;
    case DownloaderResult::kCreateFailed: return kResumableCreateFailed;
    case DownloaderResult::kAttemptsExhausted: return kResumableAttemptsExhausted;
    case DownloaderResult::kNoContentLength: return kResumableNoContentLength;
  }
  return static_cast<int>(result);
}

}  // namespace tw::road
