#include "config/config_unwrap.h"

#include "platform/crypto_owners.h"

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

// The data of one block, or false when the block does not open.
// `montgomery` carries the modulus's Montgomery constant from one block to
// the next: computed by the first exponentiation, reused by the others.
bool OpenBlock(const unsigned char* block, const BigNumber& modulus, const BigNumber& exponent, BigNumber& montgomery,
               std::string& data) {
  BigNumber value, opened;
  if (mbedtls_mpi_read_binary(value.get(), block, kBlockBytes) != 0 ||
      mbedtls_mpi_cmp_mpi(value.get(), modulus.get()) >= 0) {
    return false;
  }
  if (mbedtls_mpi_exp_mod(opened.get(), value.get(), exponent.get(), modulus.get(), montgomery.get()) != 0) {
    return false;
  }
  unsigned char plain[kBlockBytes];
  if (mbedtls_mpi_write_binary(opened.get(), plain, kBlockBytes) != 0) return false;
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
  // A key with anything but digits in it is refused whole, not read up to
  // the first stray character.
  BigNumber modulus, exponent, montgomery;
  if (mbedtls_mpi_read_string(modulus.get(), 16, key.modulusHex.c_str()) != 0 ||
      mbedtls_mpi_read_string(exponent.get(), 10, key.exponentDec.c_str()) != 0 ||
      mbedtls_mpi_cmp_int(modulus.get(), 1) <= 0 || mbedtls_mpi_get_bit(modulus.get(), 0) == 0) {
    return text;
  }
  for (size_t at = 0; at < blocks.size(); at += kBlockBytes) {
    if (!OpenBlock(reinterpret_cast<const unsigned char*>(blocks.data() + at), modulus, exponent, montgomery, text)) {
      break;  // what the earlier blocks gave stays
    }
  }
  return text.substr(0, text.find('\0'));
}

}  // namespace tw
