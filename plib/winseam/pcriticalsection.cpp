#include "plib/winseam/pcriticalsection.h"

#include "plib/winseam/plibrary.h"

namespace {

PTryEnterCriticalSectionFn LookUp() noexcept {
    // The module stays loaded: kernel32 is never unloaded from a process.
    const PLibrary kernel("Kernel32.dll", PLibrarySearch::kSystemDirectory);
    return kernel.function<PTryEnterCriticalSectionFn>("TryEnterCriticalSection");
}

}  // namespace

PTryEnterCriticalSectionFn PTryEnterCriticalSectionFunction() noexcept {
    static const PTryEnterCriticalSectionFn function = LookUp();
    return function;
}
