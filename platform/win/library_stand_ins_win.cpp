// Definitions the Windows programs make in place of library code they
// never use. A static link takes a whole archive member for one symbol,
// and some members reach far: each definition below keeps one such member,
// and everything behind it, out of the executable. The build adds this
// file to every Windows program, so these come before the libraries on the
// link line. Should a library later need more of a member left out here,
// the link fails with a duplicate definition instead of quietly growing.
#include <openssl/err.h>

#include <cstdlib>
#include <exception>

// libcrypto's error queue, left empty. The installer uses two small parts
// of libcrypto: the big-number arithmetic that opens the configuration's
// RSA blocks, and MD5. Both report failure through their return values,
// which is all the installer reads, and nothing here ever asks the queue.
// But raising an error starts libcrypto's whole initialisation (providers,
// ciphers, configuration loading, object tables): about 650 KiB of code
// the installer never runs.
extern "C" {

void ERR_new(void) {}

void ERR_set_debug(const char* /*file*/, int /*line*/, const char* /*func*/) {}

void ERR_set_error(int /*lib*/, int /*reason*/, const char* /*fmt*/, ...) {}

void ERR_vset_error(int /*lib*/, int /*reason*/, const char* /*fmt*/, va_list /*args*/) {}

}  // extern "C"

// libstdc++'s default terminate handler prints the escaping exception's
// demangled type to stderr, which a GUI program does not have; the
// demangler it links is 45 KiB. Ending the process is what remains of it.
namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
