#include "plib/pruntimehandlers.h"

#include <csignal>
#include <cstdlib>

#include "plib/plog.h"

#if defined(_WIN32)
#include <stdlib.h>
#endif

extern "C" [[noreturn]] void __cxa_pure_virtual() {
    PLogLevel(3, "*** PureCall ***");
    PLogFlush();
    std::abort();
}

namespace {

void OnAbort(int /*signal*/) {
    PLogLevel(3, "abort() called");
    PLogFlush();
}

#if defined(_WIN32)
void __cdecl OnInvalidParameter(const wchar_t* /*expression*/, const wchar_t* /*function*/,
                                const wchar_t* /*file*/, unsigned int /*line*/,
                                std::uintptr_t /*reserved*/) {
    PLogLevel(3, "*** InvokeWatson ***");
}
#endif

}  // namespace

void PInstallRuntimeHandlers() {
    std::signal(SIGABRT, &OnAbort);
#if defined(_WIN32)
    _set_invalid_parameter_handler(&OnInvalidParameter);
#endif
}
