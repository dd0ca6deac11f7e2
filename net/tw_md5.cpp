#include "net/tw_md5.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/file_open.h"
#include "platform/text.h"

namespace tw {
namespace {

// Large reads keep verification of a big package close to disk speed.
constexpr size_t kReadChunk = 64 * 1024;

}  // namespace

void Md5Buffer(const void* data, size_t length, uint8_t (&digest)[kMd5Size]) {
  unsigned int size = kMd5Size;
  EVP_Digest(data, length, digest, &size, EVP_md5(), nullptr);
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

TwMD5::TwMD5() = default;

TwMD5::~TwMD5() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_context)); }

const uint8_t* TwMD5::GetFileDigest(const std::wstring& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(OpenFileWide(path, "rb"), &std::fclose);
  if (!file) return nullptr;
  if (m_context == nullptr) m_context = EVP_MD_CTX_new();
  auto* context = static_cast<EVP_MD_CTX*>(m_context);
  if (context == nullptr || EVP_DigestInit_ex(context, EVP_md5(), nullptr) != 1) return nullptr;
  std::vector<unsigned char> buffer(kReadChunk);
  size_t read = 0;
  while ((read = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
    EVP_DigestUpdate(context, buffer.data(), read);
  }
  unsigned int size = kMd5Size;
  if (EVP_DigestFinal_ex(context, m_digest, &size) != 1) return nullptr;
  return m_digest;
}

bool VerifyFileMd5(const std::wstring& path, const std::wstring& expected) {
  if (path.empty() || expected.empty()) return false;
  TwMD5 md5;
  const uint8_t* digest = md5.GetFileDigest(path);
  if (digest == nullptr) return false;
  uint8_t copy[kMd5Size];
  std::copy(digest, digest + kMd5Size, copy);
  const std::string hex = Md5Hex(copy, true);
  return EqualsNoCase(std::wstring(hex.begin(), hex.end()), expected);
}

}  // namespace tw
