#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "plib/winseam/unique.h"

// A link that someone without administrator rights planted, for the tests of code that must
// not follow one. Wine 8 neither makes junctions nor keeps its symbolic links, but shows a Unix
// symbolic link as a link (a folder one as a reparse point) and resolves it where Windows
// resolves a junction: the tests plant one with the machine's own ln, which Wine runs.
//
// The C++ library's remove_all follows such a link under Wine and would delete what it points
// to: the object removes its link (with rm, which removes the link itself) when it goes, so it
// must be declared after the folders that hold the link and its target. Point links only at
// folders a test made.
class PlantedLink {
  public:
    PlantedLink(const std::filesystem::path& link, const std::filesystem::path& target)
        : windowsPath_(link.wstring()), link_(UnixPathOf(link)) {
        const std::string to = UnixPathOf(target);
        if (!link_.empty() && !to.empty()) Run("ln -s \"" + to + "\" \"" + link_ + "\"");
        planted_ = WaitUntilPresent(true);
    }
    ~PlantedLink() {
        if (link_.empty()) return;
        Run("rm -f \"" + link_ + "\"");
        WaitUntilPresent(false);
    }
    PlantedLink(const PlantedLink&) = delete;
    PlantedLink& operator=(const PlantedLink&) = delete;

    // False where no link can be planted (not under Wine): the test skips then.
    bool planted() const { return planted_; }

  private:
    // The Unix path Wine maps `path` to; empty outside Wine.
    static std::string UnixPathOf(const std::filesystem::path& path) {
        using UnixName = char*(CDECL*)(const wchar_t*);
        // Through the generic function type, which any function pointer may be cast to and from.
        const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char* name = unixName ? unixName(path.wstring().c_str()) : nullptr;
        if (!name) return {};
        std::string text(name);
        HeapFree(GetProcessHeap(), 0, name);
        return text;
    }

    // Starts a program of the machine (Wine starts a Unix program as it starts its own); the
    // caller waits for what it does.
    static void Run(const std::string& commandLine) {
        const std::string program = commandLine.substr(0, commandLine.find(' '));
        const std::wstring application = L"Z:\\bin\\" + std::filesystem::path(program).wstring();
        std::wstring line = std::filesystem::path(commandLine).wstring();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process) ||
            !process.hProcess)
            return;  // Wine gives a Unix program no process handle, and no thread handle to close
        const UniqueHandle processHandle(process.hProcess);
        const UniqueHandle threadHandle(process.hThread);
    }

    // Whether the link came to be (or went, for `present` false) within the time a program
    // of the machine takes at most.
    bool WaitUntilPresent(bool present) const {
        for (int looks = 0; looks < 400; ++looks) {
            if ((GetFileAttributesW(windowsPath_.c_str()) != INVALID_FILE_ATTRIBUTES) == present)
                return true;
            Sleep(25);
        }
        return false;
    }

    std::wstring windowsPath_;
    std::string link_;
    bool planted_ = false;
};
