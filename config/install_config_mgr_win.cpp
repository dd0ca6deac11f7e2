#include "config/install_config_mgr.h"

#include <ctime>

#include "config/config_unwrap.h"
#include "deploy_config.h"
#include "net/http_transfer.h"

namespace tw {

ConfigLoadResult TwInstallConfigMgr::Load(int32_t cid) {
  const std::string url = std::string(deploy::kCONFIG_BASE_URL_A) + "lminstall3/" + std::to_string(cid) +
                          ".json?time=" + std::to_string(static_cast<int32_t>(std::time(nullptr)));
  std::string body;
  if (HttpGetToString(url.c_str(), nullptr, body, 10) != 0 || body.empty()) return ConfigLoadResult::kNotFetched;
  const std::string text =
      UnwrapConfiguration(body, RsaPublicKey{deploy::kCONFIG_RSA_MODULUS_A, deploy::kCONFIG_RSA_EXPONENT_A});
  if (text.empty()) return ConfigLoadResult::kEmptyText;
  if (!Parse(text)) return ConfigLoadResult::kInvalid;
  return Company()->id == cid ? ConfigLoadResult::kLoaded : ConfigLoadResult::kOtherChannel;
}

}  // namespace tw
