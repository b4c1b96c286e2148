// The program's own terminate handler, in place of the standard library's
// verbose one. That one writes the uncaught exception's demangled type to
// standard error, which a windowed program does not have, and brings the
// whole demangler into the program (about a tenth of its code); this one
// ends the program the same way, without the message.
#include <cstdlib>

namespace __gnu_cxx
{

[[noreturn]] void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
