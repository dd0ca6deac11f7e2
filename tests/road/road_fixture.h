// What tests of the install road share: the packages published on the
// configuration peer, channel documents built from package entries, the
// step records the telemetry peer decoded, and the state a road leaves.
#pragma once

#include <string>

namespace tw::test::road {

// The registry key that caches downloaded packages' paths.
extern const wchar_t kCacheKey[];

// POST to the configuration peer (127.0.0.1:18080).
void Post(const std::string& path, const std::string& body);
std::string Md5Of(const std::string& bytes);

struct Package {
  std::string file, md5, moduletype, extra;
};
struct Packages {
  Package exe;  // the product installer peer
  Package dll;  // a package with an entry function
};
// Publishes both packages on the configuration peer's file route.
Packages PublishPackages();

std::string Entry(const Package& p, const std::string& attributes = "");
// Serves a channel document made of one trial node for `cid`.
// `conditions`: the items of the condition section (CheckCondition's).
void Configure(const std::string& tryno, const std::string& check = "", int cid = 1029,
               const std::string& conditions = "");
std::string Tryno(const std::string& entries, const std::string& attributes = "", int id = 7);

// The file peer's byte pattern of `size` bytes, and its digest.
std::string PatternMd5(size_t size);
// A dll package on the file peer (127.0.0.1:18090) at `path`, saved under `target`.
std::string FilePeerEntry(const std::string& path, const std::string& md5, const std::string& attributes,
                          const std::string& target = "%TEMP%\\twroad\\slow_????.dll");

// Records of table 7706 with this step and result.
size_t StepRecords(int step, int result);

// Where the product installer peer writes the command line it was started
// with (%TEMP%\tw_product_installer.txt).
std::wstring ProductInstallerRecord();

// Removes the product's registry state and the package cache of 1029/7.
void ForgetInstallState();

}  // namespace tw::test::road
