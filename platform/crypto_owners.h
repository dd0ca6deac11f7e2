// Owners of Mbed TLS's big numbers and MD5 contexts: each is set up where it
// is made and gives back what it allocated where it goes out of scope, so no
// early return in the arithmetic can leak a number's limbs.
#pragma once

#include <mbedtls/bignum.h>
#include <mbedtls/md5.h>

namespace tw {

class BigNumber {
 public:
  BigNumber() { mbedtls_mpi_init(&m_value); }
  ~BigNumber() { mbedtls_mpi_free(&m_value); }
  BigNumber(const BigNumber&) = delete;
  BigNumber& operator=(const BigNumber&) = delete;

  mbedtls_mpi* get() { return &m_value; }
  const mbedtls_mpi* get() const { return &m_value; }

 private:
  mbedtls_mpi m_value;
};

class Md5Context {
 public:
  Md5Context() { mbedtls_md5_init(&m_state); }
  ~Md5Context() { mbedtls_md5_free(&m_state); }
  Md5Context(const Md5Context&) = delete;
  Md5Context& operator=(const Md5Context&) = delete;

  mbedtls_md5_context* get() { return &m_state; }

 private:
  mbedtls_md5_context m_state;
};

}  // namespace tw
