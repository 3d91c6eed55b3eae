#include "plib/winseam/plibrary.h"

#include <string>

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

void PRestrictLibrarySearch() noexcept {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const PLibrary kernel("kernel32", PLibrarySearch::kUnrestricted);
    const auto restrict = kernel.function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
    // Older systems without the call keep their search order.
    if (restrict) restrict(PLibraryLoadFlags(PLibrarySearch::kSystemDirectory));
}

PLibrary::PLibrary(const char* name, PLibrarySearch choice) {
    const DWORD flags = choice == PLibrarySearch::kUnrestricted || !PRestrictedLibrarySearch()
                            ? 0
                            : PLibraryLoadFlags(choice);
    if (choice != PLibrarySearch::kSystemDirectory) {
        module_.reset(LoadLibraryExA(name, nullptr, flags));
        return;
    }
    // Named by its full path: a system without the restricted search would otherwise look in
    // the program's folder first.
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    module_.reset(
        LoadLibraryExA((std::string(folder, length) + "\\" + name).c_str(), nullptr, flags));
}
