// The numbers the install road reports in its step records (table 7706):
// the steps, and the result code a step ends with. Operators read them in
// the telemetry; the telemetry reader (operators/telemetry_reader.py) takes its
// names from the comment after each constant, so keep one short name there.
#pragma once

namespace tw::road {

// Steps.
constexpr int kStepStart = 0;              // start
constexpr int kStepInitialised = 11;       // configuration
constexpr int kStepCheckBegins = 20;       // environment check
constexpr int kStepChecked = 21;           // environment checked
constexpr int kStepDownloadBegins = 30;    // download
constexpr int kStepDownloaded = 31;        // download done
constexpr int kStepVerifyBegins = 40;      // verification
constexpr int kStepVerified = 41;          // verified
constexpr int kStepInstallBegins = 50;     // install
constexpr int kStepInstalled = 51;         // installed
constexpr int kStepConditionBegins = 60;   // named condition
constexpr int kStepConditionChecked = 61;  // named condition checked

// Results.
constexpr int kOk = 0;                            // success
constexpr int kConfigNotFetched = 50;             // configuration not fetched
constexpr int kEmptyUrlOrFile = 51;               // empty URL or file
constexpr int kFileMissingAfterDownload = 53;     // file missing after download
constexpr int kPackageUrlOrFileEmpty = 54;        // empty URL or file for a package
constexpr int kConfigNotValid = 100;              // configuration not valid
constexpr int kConfigEmpty = 101;                 // configuration empty
constexpr int kConfigForAnotherChannel = 102;     // configuration of another channel
constexpr int kNoTrialNode = 150;                 // no usable trial node for the tid
constexpr int kConditionFalse = 200;              // condition false
constexpr int kNoCondition = 201;                 // no condition or configuration
constexpr int kConditionMalformed = 202;          // malformed condition
constexpr int kConditionBadCharacter = 204;       // character not allowed in a condition
constexpr int kCheckWithoutNode = 206;            // environment check without a usable node
constexpr int kConditionNotFound = 207;           // named condition not found
constexpr int kDownloadFailed = 250;              // download failed
constexpr int kMd5Mismatch = 251;                 // MD5 mismatch
constexpr int kPathWithoutMacro = 252;            // package path without a macro
constexpr int kUnusableEntry = 253;               // unusable package entry
constexpr int kNoUsableNode = 254;                // no usable node
constexpr int kResumableNoHandle = 255;           // resumable downloader: no transfer handle
constexpr int kResumableInvalid = 256;            // resumable downloader: nothing to download
constexpr int kResumableHeadFailed = 257;         // resumable downloader: size not learnt
constexpr int kResumableCreateFailed = 258;       // resumable downloader: file not created
constexpr int kResumableAttemptsExhausted = 259;  // resumable downloader: attempts exhausted
constexpr int kResumableNoContentLength = 260;    // resumable downloader: no size given
constexpr int kOutsideRangeDownload = 261;        // outside the A/B range (download)
constexpr int kOutsideRangeInstall = 262;         // outside the A/B range (install)
constexpr int kOutsideRangeVerify = 263;          // outside the A/B range (verification)
constexpr int kWorkFolderUnavailable = 264;       // private work folder not available
constexpr int kWebPageInsteadOfPackage = 265;     // a web page (sign-in) instead of the package
constexpr int kNotEnoughSpace = 266;              // not enough free space for the package
constexpr int kUnknownModuleType = 302;           // module type neither exe nor dll
constexpr int kLauncherRefused = 303;             // launcher refused the entry
constexpr int kMd5MismatchAtInstall = 305;        // MD5 mismatch at install
constexpr int kNoNodeAtInstall = 306;             // no usable node at install
constexpr int kLibraryNotLoaded = 311;            // library not loaded
constexpr int kFunctionNotFound = 312;            // function not found
constexpr int kProcessNotStarted = 313;           // could not start the process
constexpr int kEmptyPath = 314;                   // empty path
constexpr int kPackageFileMissing = 315;          // package file missing
constexpr int kPackageMovedBeforeStart = 316;     // package no longer where it was verified
constexpr int kUninstalledRecently = 352;         // uninstalled too recently
constexpr int kUninstalledRecentlySecond = 358;   // uninstalled too recently (second place)

// Self-update (its own record, table 4033): what the INI lacked, or a copy
// offered that is not newer than the running one.
constexpr int kUpdateNoUrl = 354;
constexpr int kUpdateNoFolder = 355;
constexpr int kUpdateNoMd5 = 356;
constexpr int kUpdateNotNewer = 357;

// Details (table 4680) the download step sends before and after the
// resumable downloader: the step they carry, the kinds, and the transfer
// error that calls for it.
constexpr int kDetailStepDownload = 40;
constexpr int kDetailTimedOutTryingResumable = 1;
constexpr int kDetailResumableFailed = 2;
constexpr int kDetailContinued = 3;  // bytes continued from an earlier run, bytes fetched now
constexpr int kDetailWebPage = 4;    // the type and length of a web page served for the package

}  // namespace tw::road
