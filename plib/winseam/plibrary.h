#pragma once

#include <windows.h>

#include <cstdint>

#include "plib/winseam/unique.h"

// Where LoadLibraryEx may look for a library. Used only where the system offers the
// directory-restricted search (it has AddDllDirectory); elsewhere no flags are passed.
enum class PLibrarySearch : int {
    kUnrestricted = 0,
    kSystemDirectory = 1,                 // 0x0800
    kApplicationDirectory = 2,            // 0x0200
    kDefaultDirectories = 3,              // 0x1000
    kLibraryDirectory = 4,                // 0x0100
    kSystemAndLibraryDirectory = 5,       // 0x0900
    kApplicationAndLibraryDirectory = 6,  // 0x0300
    kDefaultAndLibraryDirectory = 7,      // 0x1100
};

// The load flags of a search choice; 0 for an unknown one.
std::uint32_t PLibraryLoadFlags(PLibrarySearch choice) noexcept;

// Whether the system has the restricted search: asked once per process, then remembered.
bool PRestrictedLibrarySearch() noexcept;

// Makes the system folder the only place where the process's later library loads look
// (SetDefaultDllDirectories), where the system has the call; the first thing each program does.
void PRestrictLibrarySearch() noexcept;

// A loaded module, freed when the object goes.
class PLibrary {
  public:
    PLibrary() = default;
    // Loads `name` (8-bit, passed unchanged to the narrow call) with the flags of `choice`;
    // loaded() tells whether it worked. With kSystemDirectory, `name` is a file name that is
    // loaded by its full path in the system folder, also where the flags are not offered.
    PLibrary(const char* name, PLibrarySearch choice);

    bool loaded() const noexcept { return static_cast<bool>(module_); }
    HMODULE get() const noexcept { return module_.get(); }

    // The exported function `name` as type `Function`, or null.
    template <typename Function>
    Function function(const char* name) const noexcept {
        if (!module_) {
            return nullptr;
        }
        return reinterpret_cast<Function>(
            reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

  private:
    UniqueModule module_;
};
