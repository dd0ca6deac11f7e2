// The self-update INI names a program the elevated installer will start, so
// it is read only when it is authentic: signed with the configuration key
// (wrapped like the install configuration), or fetched over https with a
// validated certificate. A plain INI over http is refused unless the
// deployment allows it for an old service. It is read in memory, never
// written where another process could swap it.
#pragma once

#include <string>
#include <string_view>

#include "config/config_unwrap.h"

namespace tw {

enum class UpdateIniTrust {
  kSigned,        // opened with the deployment's key
  kOverHttps,     // plain, from an https address
  kPlainAllowed,  // plain over http, allowed by the deployment
  kRefused,       // plain over http (or signed with another key)
};

struct AuthenticatedIni {
  UpdateIniTrust trust = UpdateIniTrust::kRefused;
  std::string text;  // the INI text; empty when refused
};

AuthenticatedIni AuthenticateUpdateIni(std::string_view body, const RsaPublicKey& key, bool overHttps, bool allowPlain);

// What the INI's section "UiExe" offers, read as GetPrivateProfileString
// reads a file: names in any letter case, blanks around values trimmed, the
// first occurrence counts, lines starting with ';' skipped, values cut at
// 1023 characters.
struct UpdateOffer {
  std::string url, md5, dir;
  int probability = 0;
};
UpdateOffer ReadUpdateOffer(std::string_view iniText);

}  // namespace tw
