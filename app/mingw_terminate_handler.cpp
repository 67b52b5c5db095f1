// MinGW builds only. GCC's C++ runtime ends an uncaught exception with a
// handler that prints the exception's demangled type name to stderr; that
// links some 50 KB of demangler into a windowed program that has no stderr
// to print to. This handler ends the process the same way, by abort(),
// without the text.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
