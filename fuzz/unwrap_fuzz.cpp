// The configuration body comes from the network: any bytes must unwrap to
// some text or none, never crash, and never yield more data than the
// blocks can carry.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_unwrap.h"
#include "deploy_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const tw::RsaPublicKey key{tw::deploy::kCONFIG_RSA_MODULUS_A, tw::deploy::kCONFIG_RSA_EXPONENT_A};
  const std::string text = tw::UnwrapConfiguration(body, key);
  if (text.size() > body.size()) __builtin_trap();
  return 0;
}
