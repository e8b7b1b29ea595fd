// The C++ library's default terminate handler prints a demangled name to a console the tray tool never
// has, and brings the whole demangler with it. A plain abort is what it comes to anyway.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
