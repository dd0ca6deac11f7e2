// Owners of Mbed TLS's big numbers and MD5 contexts: each is set up where it
// is made and gives back what it allocated where it goes out of scope, so no
// early return in the arithmetic can leak a number's limbs.
#pragma once

#include <mbedtls/bignum.h>
#include <mbedtls/md5.h>

namespace tw {

// An Mbed TLS object of type T, set up by Init and given back by Free.
template <typename T, void (*Init)(T*), void (*Free)(T*)>
class MbedObject {
 public:
  MbedObject() { Init(&m_value); }
  ~MbedObject() { Free(&m_value); }
  MbedObject(const MbedObject&) = delete;
  MbedObject& operator=(const MbedObject&) = delete;

  T* get() { return &m_value; }
  const T* get() const { return &m_value; }

 private:
  T m_value;
};

using BigNumber = MbedObject<mbedtls_mpi, mbedtls_mpi_init, mbedtls_mpi_free>;
using Md5Context = MbedObject<mbedtls_md5_context, mbedtls_md5_init, mbedtls_md5_free>;

}  // namespace tw
