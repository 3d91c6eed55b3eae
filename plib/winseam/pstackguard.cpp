// The canary of GCC's stack protector and what happens when it is found overwritten. GCC's own
// runtime (libssp) seeds the canary through CryptAcquireContext, which advapi32 forwards to
// cryptsp.dll: not a known DLL, so the loader would look for it beside the program before the
// program could restrict anything. This seeds it from kernel32 alone, from the same values that
// Windows' own stack-cookie runtime mixes. Defining both symbols here keeps libssp out of the
// link.
#include <windows.h>

#include <cstdint>

extern "C" {

// A fixed value until the constructor below runs; never zero, which a string copy could write.
std::uintptr_t __stack_chk_guard = 0xBB40E64Eu;

// A frame whose canary is gone has had its return address overwritten too: nothing of the
// process can be trusted any more, so it ends at once, without running any handler.
[[noreturn]] void __stack_chk_fail() {
    OutputDebugStringA("stack buffer overrun detected");
    // The system's fast fail (Windows 8 on): an immediate end with the reason recorded.
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        asm volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE));
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}

}  // extern "C"

namespace {

// Runs before any other constructor and outside every protected frame (the runtime's
// constructor loop is not protected), so that no live frame holds the old value.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::uintptr_t seed = now.dwLowDateTime ^ now.dwHighDateTime ^ GetCurrentProcessId() ^
                          (std::uintptr_t{GetCurrentThreadId()} << 16) ^ GetTickCount() ^
                          counter.LowPart ^ static_cast<std::uintptr_t>(counter.HighPart) ^
                          reinterpret_cast<std::uintptr_t>(&seed);
    if (seed == 0 || seed == __stack_chk_guard) seed ^= 0x9E3779B9u;
    __stack_chk_guard = seed;
}

}  // namespace
