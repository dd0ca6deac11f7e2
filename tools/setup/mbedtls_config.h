/* Mbed TLS as the Windows builds of the installer use it: the big numbers
 * that open the configuration's RSA blocks, and MD5 for packages and
 * fingerprints. Replaces the library's own config.h in the cross-build. */
#ifndef MBEDTLS_CONFIG_H
#define MBEDTLS_CONFIG_H

#define MBEDTLS_BIGNUM_C
#define MBEDTLS_MD5_C

/* The library requires its platform layer on Windows (its snprintf); memory
 * still comes from the C library's calloc and free. */
#define MBEDTLS_PLATFORM_C

/* Only the functions that return a status. */
#define MBEDTLS_DEPRECATED_REMOVED

#include "mbedtls/check_config.h"

#endif /* MBEDTLS_CONFIG_H */
