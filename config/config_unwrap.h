// The install configuration travels as Base64 of 128-byte RSA blocks made
// with the configuration service's private key; the installer opens each
// block with the public key of its deployment. Only the service can write
// a configuration the installer will accept.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// RFC 4648 groups of four; a text shorter than 4 or not a multiple of 4,
// or holding a character outside the alphabet, decodes to nothing.
std::string Base64DecodeGroups(std::string_view text);

struct RsaPublicKey {
  std::string modulusHex;   // 1024-bit
  std::string exponentDec;  // usually "65537"
};

// The XML text: each block opened (value below the modulus, PKCS #1 v1.5
// type 1 padding with at least eight FF bytes), data concatenated until the
// first block that fails, cut at the first NUL. Empty when the decoded
// length is not a multiple of 128.
std::string UnwrapConfiguration(std::string_view body, const RsaPublicKey& key);

}  // namespace tw
