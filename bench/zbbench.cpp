// The Windows side of `./zb bench`, run under Wine:
//   zbbench install PAYLOAD FOLDER   installs an archive file with the program's install worker,
//                                    headless, and prints the final progress code
//   zbbench run COMMAND...           runs a program to its end; prints its wall seconds, peak
//                                    working set in bytes and exit code
//   zbbench startup COMMAND...       runs a program until its first top-level window is shown
//                                    and painted; prints the seconds, then ends the program
#include <windows.h>
// The process status header needs the base declarations first.
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "installer/ZembricoInstall/imagepayload.h"
#include "installer/ZembricoInstall/installerworkerthread.h"
#include "installer/core/installcodes.h"
#include "plib/winseam/unique.h"

// Nothing listens on the discard port of the loopback address: the analytics client gives up at
// once, as it does on a machine without network.
const char kAnalyticsCollectionHost[] = "127.0.0.1:9";

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

// The archive as the setup program has its resource: mapped, paged in as it is read and given
// back behind the decoder.
class MappedFile {
  public:
    explicit MappedFile(const char* path)
        : file_(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {
        if (!file_) return;
        size_ = GetFileSize(file_.get(), nullptr);
        mapping_.reset(CreateFileMappingA(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (mapping_) view_ = MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0);
    }
    ~MappedFile() {
        if (view_) UnmapViewOfFile(view_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::span<const std::uint8_t> bytes() const {
        if (!view_) return {};
        return {static_cast<const std::uint8_t*>(view_), size_};
    }

  private:
    UniqueFile file_;
    UniqueHandle mapping_;
    void* view_ = nullptr;
    DWORD size_ = 0;
};

// The setup program's release of its image pages, which takes them out of the working set on
// Windows. Wine does not do that; it drops the pages of a file view that are reset, and reads
// them from the file again when touched (Windows refuses a reset of a file view).
void ReleaseViewPages(const std::uint8_t* bytes, std::uint32_t count) {
    ReleaseImagePages(bytes, count);
    VirtualAlloc(const_cast<std::uint8_t*>(bytes), count, MEM_RESET, PAGE_READONLY);
}

int Install(const char* payloadPath, const char* folder) {
    MappedFile payload(payloadPath);
    if (payload.bytes().empty()) {
        std::fprintf(stderr, "zbbench: cannot map %s\n", payloadPath);
        return 2;
    }
    InstallParameters params;
    params.name = params.displayName = params.workFolderName = "ZembricoBench";
    params.installFolder = folder;
    params.hasAdminRights = 1;

    // A message-only window receives the worker's progress, as the wizard's window would.
    const HWND window = CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        nullptr, nullptr);
    InstallerWorkerThread worker(kAnalyticsCollectionHost, [&payload] {
        return PayloadView(payload.bytes(), ImageBlockReader(payload.bytes(), ReleaseViewPages));
    });
    if (!worker.start(params, window, kWmInstallProgress)) return 2;
    int code = 0;
    MSG message;
    while (GetMessageA(&message, window, kWmInstallProgress, kWmInstallProgress) > 0) {
        code = static_cast<int>(static_cast<INT_PTR>(message.wParam));
        if (code == kInstallFailedWithText) delete reinterpret_cast<PString*>(message.lParam);
        if (code == kInstallComplete || code < 0) break;
    }
    worker.closeThreadHandle();
    DestroyWindow(window);
    std::printf("%d\n", code);
    return code == kInstallComplete ? 0 : 1;
}

// The rest of our own command line, from the word at `index` on, as it was typed.
const char* CommandTail(int index) {
    const char* line = GetCommandLineA();
    for (int word = 0; word < index; ++word) {
        bool quoted = false;
        while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
            if (*line == '"') quoted = !quoted;
            ++line;
        }
        while (*line == ' ' || *line == '\t') ++line;
    }
    return line;
}

// Starts `commandLine`; says why on standard error when it cannot.
bool Start(const char* commandLine, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process))
        return true;
    std::fprintf(stderr, "zbbench: cannot start %s (%lu)\n", commandLine, GetLastError());
    return false;
}

int Run(const char* commandLine) {
    PROCESS_INFORMATION info{};
    const LARGE_INTEGER start = Now();
    if (!Start(commandLine, info)) return 2;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    // The peak is only readable while the process lives: sample it until the end.
    SIZE_T peak = 0;
    while (WaitForSingleObject(process.get(), 2) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.get(), &counters, sizeof counters) &&
            counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
    }
    const LARGE_INTEGER end = Now();
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    std::printf("%.4f %zu %ld\n", Seconds(start, end), static_cast<size_t>(peak), long(exitCode));
    return 0;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

int Startup(const char* commandLine) {
    PROCESS_INFORMATION info{};
    const LARGE_INTEGER start = Now();
    if (!Start(commandLine, info)) return 2;
    UniqueHandle process(info.hProcess), thread(info.hThread);
    WindowSearch search{info.dwProcessId, nullptr};
    bool painted = false;
    // Gives up after about a minute.
    for (int tries = 0; tries < 60000 && !painted; ++tries) {
        if (WaitForSingleObject(process.get(), 1) != WAIT_TIMEOUT) break;
        search.found = nullptr;
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        // Shown and no region waiting for WM_PAINT: the first paint is done. The round trip through
        // the window's queue makes sure it is not between showing and painting.
        DWORD_PTR ignored;
        painted = search.found && !GetUpdateRect(search.found, nullptr, FALSE) &&
                  SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    const LARGE_INTEGER end = Now();
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    if (!painted) {
        std::fprintf(stderr, "zbbench: no window was painted by %s\n", commandLine);
        return 1;
    }
    std::printf("%.4f\n", Seconds(start, end));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "install") == 0) return Install(argv[2], argv[3]);
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0) return Run(CommandTail(2));
    if (argc >= 3 && std::strcmp(argv[1], "startup") == 0) return Startup(CommandTail(2));
    std::fprintf(stderr,
                 "usage: zbbench install PAYLOAD FOLDER | run COMMAND... | startup COMMAND...\n");
    return 2;
}
