// The program's terminate handler. libstdc++'s default one prints the type of an uncaught exception,
// which a windowed program has nowhere to show, and links in the whole C++ name demangler (about
// 45 KB). Linked into Pelmar.exe only; no exception reaches it past the window procedures anyway.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
