#include "plib/win/plibrary.h"

namespace {

bool HasAddDllDirectory() noexcept {
    const PLibrary kernel("kernel32", PLibrarySearch::kUnrestricted);
    return kernel.function<void*>("AddDllDirectory") != nullptr;
}

}  // namespace

std::uint32_t PLibraryLoadFlags(PLibrarySearch choice) noexcept {
    switch (choice) {
        case PLibrarySearch::kSystemDirectory:
            return LOAD_LIBRARY_SEARCH_SYSTEM32;
        case PLibrarySearch::kApplicationDirectory:
            return LOAD_LIBRARY_SEARCH_APPLICATION_DIR;
        case PLibrarySearch::kDefaultDirectories:
            return LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
        case PLibrarySearch::kLibraryDirectory:
            return LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
        case PLibrarySearch::kSystemAndLibraryDirectory:
            return LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
        case PLibrarySearch::kApplicationAndLibraryDirectory:
            return LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
        case PLibrarySearch::kDefaultAndLibraryDirectory:
            return LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR;
        case PLibrarySearch::kUnrestricted:
            break;
    }
    return 0;
}

bool PRestrictedLibrarySearch() noexcept {
    static const bool offered = HasAddDllDirectory();
    return offered;
}

PLibrary::PLibrary(const char* name, PLibrarySearch choice) {
    const DWORD flags = choice == PLibrarySearch::kUnrestricted || !PRestrictedLibrarySearch()
                            ? 0
                            : PLibraryLoadFlags(choice);
    module_.reset(LoadLibraryExA(name, nullptr, flags));
}
