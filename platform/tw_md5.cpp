#include "platform/tw_md5.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/crypto_owners.h"
#include "platform/file_open.h"
#include "platform/text.h"

namespace tw {
namespace {

// Large reads keep verification of a big package close to disk speed.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

// Mbed TLS's software MD5 reports failure only for a hardware-accelerated
// replacement, which the installer's configuration of it does not have: the
// status of each step below is always 0 and is not read.
void Md5Buffer(const void* data, size_t length, uint8_t (&digest)[kMd5Size]) {
  (void)mbedtls_md5_ret(static_cast<const unsigned char*>(data), length, digest);
}

std::string Md5Hex(const uint8_t (&digest)[kMd5Size], bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  for (uint8_t byte : digest) {
    text += digits[byte >> 4];
    text += digits[byte & 0x0F];
  }
  return text;
}

struct TwMD5::Context {
  Md5Context state;
};

TwMD5::TwMD5() = default;

TwMD5::~TwMD5() = default;

void TwMD5::Begin() {
  if (!m_context) m_context = std::make_unique<Context>();
  (void)mbedtls_md5_starts_ret(m_context->state.get());  // reset after each digest: one object hashes files in turn
}

void TwMD5::Update(const void* data, size_t length) {
  (void)mbedtls_md5_update_ret(m_context->state.get(), static_cast<const unsigned char*>(data), length);
}

const uint8_t* TwMD5::Finish() {
  (void)mbedtls_md5_finish_ret(m_context->state.get(), m_digest);
  return m_digest;
}

const uint8_t* TwMD5::GetFileDigest(const std::wstring& path) {
  const UniqueStdioFile file = OpenFileWide(path, "rb");
  if (!file) return nullptr;
  Begin();
  std::vector<unsigned char> buffer(kReadChunk);
  size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) Update(buffer.data(), read);
  return Finish();
}

bool VerifyFileMd5(const std::wstring& path, const std::wstring& expected) {
  if (path.empty() || expected.empty()) return false;
  TwMD5 md5;
  return DigestMatches(md5.GetFileDigest(path), expected);
}

bool DigestMatches(const uint8_t* digest, const std::wstring& expected) {
  if (digest == nullptr || expected.empty()) return false;
  uint8_t copy[kMd5Size];
  std::copy(digest, digest + kMd5Size, copy);
  const std::string hex = Md5Hex(copy, true);
  return EqualsNoCase(std::wstring(hex.begin(), hex.end()), expected);
}

}  // namespace tw
