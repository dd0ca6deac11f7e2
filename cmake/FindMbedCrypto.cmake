# Mbed TLS's crypto library as MbedTLS::mbedcrypto: Debian's package in the
# native trees, the cross-built copy in the Windows libraries' cache (there
# configured with its big numbers and MD5 only). Debian's 2.28 installs no
# package configuration of its own.
find_path(MBEDCRYPTO_INCLUDE_DIR mbedtls/bignum.h)
find_library(MBEDCRYPTO_LIBRARY NAMES mbedcrypto)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(MbedCrypto REQUIRED_VARS MBEDCRYPTO_LIBRARY MBEDCRYPTO_INCLUDE_DIR)
if(MbedCrypto_FOUND AND NOT TARGET MbedTLS::mbedcrypto)
  add_library(MbedTLS::mbedcrypto UNKNOWN IMPORTED)
  set_target_properties(MbedTLS::mbedcrypto PROPERTIES IMPORTED_LOCATION "${MBEDCRYPTO_LIBRARY}"
                                                       INTERFACE_INCLUDE_DIRECTORIES "${MBEDCRYPTO_INCLUDE_DIR}")
endif()
