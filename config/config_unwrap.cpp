#include "config/config_unwrap.h"

#include <openssl/bn.h>

#include <memory>

namespace tw {
namespace {

constexpr size_t kBlockBytes = 128;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

struct BnDeleter {
  void operator()(BIGNUM* bn) const { BN_free(bn); }
};
struct BnCtxDeleter {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};
struct MontDeleter {
  void operator()(BN_MONT_CTX* mont) const { BN_MONT_CTX_free(mont); }
};
using UniqueBn = std::unique_ptr<BIGNUM, BnDeleter>;

// The data of one block, or false when the block does not open.
bool OpenBlock(const unsigned char* block, const BIGNUM* modulus, const BIGNUM* exponent, BN_CTX* ctx,
               BN_MONT_CTX* montgomery, std::string& data) {
  UniqueBn value(BN_bin2bn(block, kBlockBytes, nullptr));
  UniqueBn opened(BN_new());
  if (!value || !opened || BN_cmp(value.get(), modulus) >= 0) return false;
  if (BN_mod_exp_mont(opened.get(), value.get(), exponent, modulus, ctx, montgomery) != 1) return false;
  unsigned char plain[kBlockBytes];
  if (BN_bn2binpad(opened.get(), plain, kBlockBytes) != static_cast<int>(kBlockBytes)) return false;
  if (plain[0] != 0x00 || plain[1] != 0x01) return false;
  size_t i = 2;
  while (i < kBlockBytes && plain[i] == 0xFF) ++i;
  if (i - 2 < 8 || i >= kBlockBytes || plain[i] != 0x00) return false;
  data.append(reinterpret_cast<const char*>(plain + i + 1), kBlockBytes - i - 1);
  return true;
}

}  // namespace

std::string Base64DecodeGroups(std::string_view text) {
  std::string out;
  if (text.size() < 4 || text.size() % 4 != 0) return out;
  out.reserve(text.size() / 4 * 3);
  for (size_t group = 0; group < text.size(); group += 4) {
    int values[4];
    int padding = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text[group + i];
      // "=" only at the end of the last group.
      if (c == '=' && group + 4 == text.size() && i >= 2) {
        values[i] = 0;
        ++padding;
        continue;
      }
      if (padding > 0 || (values[i] = Base64Value(c)) < 0) return {};
    }
    const uint32_t bits = (values[0] << 18) | (values[1] << 12) | (values[2] << 6) | values[3];
    out.push_back(static_cast<char>(bits >> 16));
    if (padding < 2) out.push_back(static_cast<char>((bits >> 8) & 0xFF));
    if (padding < 1) out.push_back(static_cast<char>(bits & 0xFF));
  }
  return out;
}

std::string UnwrapConfiguration(std::string_view body, const RsaPublicKey& key) {
  const std::string blocks = Base64DecodeGroups(body);
  std::string text;
  if (blocks.empty() || blocks.size() % kBlockBytes != 0) return text;
  BIGNUM* raw_modulus = nullptr;
  BIGNUM* raw_exponent = nullptr;
  const bool read =
      BN_hex2bn(&raw_modulus, key.modulusHex.c_str()) != 0 && BN_dec2bn(&raw_exponent, key.exponentDec.c_str()) != 0;
  const UniqueBn modulus(raw_modulus), exponent(raw_exponent);
  if (!read) return text;
  const std::unique_ptr<BN_CTX, BnCtxDeleter> ctx(BN_CTX_new());
  // One Montgomery context for every block of the document.
  const std::unique_ptr<BN_MONT_CTX, MontDeleter> montgomery(BN_MONT_CTX_new());
  if (!ctx || !montgomery || BN_is_odd(modulus.get()) == 0 ||
      BN_MONT_CTX_set(montgomery.get(), modulus.get(), ctx.get()) != 1) {
    return text;
  }
  for (size_t at = 0; at < blocks.size(); at += kBlockBytes) {
    if (!OpenBlock(reinterpret_cast<const unsigned char*>(blocks.data() + at), modulus.get(), exponent.get(), ctx.get(),
                   montgomery.get(), text)) {
      break;  // what the earlier blocks gave stays
    }
  }
  return text.substr(0, text.find('\0'));
}

}  // namespace tw
