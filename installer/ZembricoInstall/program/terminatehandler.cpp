#include <cstdlib>
#include <exception>

// libstdc++'s default terminate handler prints the exception's demangled type to standard
// error, which a windowed program does not have; its demangler is 45 KiB of the setup program.
// Defining the handler here keeps the library's out of the link. What ends the program is the
// same: abort().
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx
