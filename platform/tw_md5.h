// MD5 digests (RFC 1321): packages are verified against the digest in their
// configuration entry, executables are fingerprinted for reports, and the
// machine identifiers hash buffers. Computed by Mbed TLS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tw {

constexpr size_t kMd5Size = 16;

void Md5Buffer(const void* data, size_t length, uint8_t (&digest)[kMd5Size]);

// 32 hexadecimal digits, two per byte in digest order.
std::string Md5Hex(const uint8_t (&digest)[kMd5Size], bool upperCase);

class TwMD5 {
 public:
  TwMD5();
  virtual ~TwMD5();
  TwMD5(const TwMD5&) = delete;
  TwMD5& operator=(const TwMD5&) = delete;

  // The digest of the file's bytes, kept in this object; null when the file
  // cannot be opened for reading. One object may hash several files in turn.
  const uint8_t* GetFileDigest(const std::wstring& path);

  // The digest of bytes fed in turn: Begin, Update..., Finish.
  void Begin();
  void Update(const void* data, size_t length);
  const uint8_t* Finish();

 private:
  struct Context;  // Mbed TLS's MD5 state, made on first use
  std::unique_ptr<Context> m_context;
  uint8_t m_digest[kMd5Size] = {};
};

// True when the file's digest, in upper-case hexadecimal, equals `expected`
// in any letter case. Missing file, empty path or empty expectation: false.
[[nodiscard]] bool VerifyFileMd5(const std::wstring& path, const std::wstring& expected);

// True when `digest` in upper-case hexadecimal equals `expected` in any
// letter case; false for an empty expectation.
bool DigestMatches(const uint8_t* digest, const std::wstring& expected);

}  // namespace tw
