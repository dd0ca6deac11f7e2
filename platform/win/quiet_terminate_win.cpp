// Linked into the installer executable only. libstdc++'s default terminate
// handler prints the escaping exception's demangled type to stderr, which a
// GUI program does not have; the demangler it links is 45 KiB. Ending the
// process is what remains of it. Test programs keep the default, whose
// message is worth having in a test log.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
