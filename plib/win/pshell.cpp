#include "plib/win/pshell.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "plib/pstringencoding.h"
#include "plib/winseam/pcodepage.h"
#include "plib/winseam/plibrary.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41
constexpr UINT kSetSelectionNarrow = 0x0466;
constexpr UINT kSetSelectionWide = 0x0467;
static_assert(sizeof(void*) != 4 ||
              (sizeof(SHELLEXECUTEINFOW) == 60 && sizeof(SHELLEXECUTEINFOA) == 60));

struct ComRelease {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComRelease>;

// The execute calls of one character form.
template <typename Info, typename Char>
struct ExecuteCalls {
    using ExFn = BOOL(WINAPI*)(Info*);
    using PlainFn = HINSTANCE(WINAPI*)(HWND, const Char*, const Char*, const Char*, const Char*,
                                       INT);
    const char* exName;
    const char* plainName;
};

template <typename Info, typename Char>
std::intptr_t Execute(const ExecuteCalls<Info, Char>& calls, HWND owner, const Char* verb,
                      const Char* file, const Char* parameters, const Char* directory,
                      int showCommand) {
    using Calls = ExecuteCalls<Info, Char>;
    const PLibrary shell("shell32", PLibrarySearch::kSystemDirectory);
    if (const auto executeEx = shell.function<typename Calls::ExFn>(calls.exName)) {
        Info info{};
        info.cbSize = sizeof info;
        info.hwnd = owner;
        info.lpVerb = verb;
        info.lpFile = file;
        info.lpParameters = parameters;
        info.lpDirectory = directory;
        info.nShow = showCommand;
        if (executeEx(&info)) {
            return reinterpret_cast<std::intptr_t>(info.hInstApp);
        }
        // Closing the error box the call shows may clear the last error (Wine does); the
        // call's own error value then still names the reason.
        const DWORD error = GetLastError();
        return error != 0 ? static_cast<std::intptr_t>(error)
                          : reinterpret_cast<std::intptr_t>(info.hInstApp);
    }
    if (const auto execute = shell.function<typename Calls::PlainFn>(calls.plainName)) {
        return reinterpret_cast<std::intptr_t>(
            execute(owner, verb, file, parameters, directory, showCommand));
    }
    return 0;
}

// The wide folder-dialog functions, looked up once; the module stays loaded with them.
struct WideShellFunctions {
    using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
    using PathFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);

    WideShellFunctions()
        : shell("shell32.dll", PLibrarySearch::kSystemDirectory),
          browse(shell.function<BrowseFn>("SHBrowseForFolderW")),
          path(shell.function<PathFn>("SHGetPathFromIDListW")) {}

    PLibrary shell;
    BrowseFn browse;
    PathFn path;
};

const WideShellFunctions& WideShell() {
    static const WideShellFunctions functions;
    return functions;
}

struct ItemFree {
    void operator()(ITEMIDLIST* item) const noexcept { CoTaskMemFree(item); }
};
using UniqueItem = std::unique_ptr<ITEMIDLIST, ItemFree>;

// The dialog's record, rooted at the desktop, in either character form.
template <typename Info, typename Char>
Info BrowseInfo(HWND owner, Char* nameBuffer, const Char* title, BFFCALLBACK callback,
                LPARAM callbackData) {
    Info info{};
    info.hwndOwner = owner;
    info.pszDisplayName = nameBuffer;
    info.lpszTitle = title;
    info.ulFlags = kBrowseFlags;
    info.lpfn = callback;
    info.lParam = callbackData;
    return info;
}

}  // namespace

std::intptr_t PShellExecute(HWND owner, const PString* verb, const PString& file,
                            const PString* parameters, const PString* directory,
                            const PStringEncoding* encoding, int showCommand) {
    const bool wide = PWideFor(encoding);
    PSysText verbText(verb, encoding, wide);
    PSysText fileText(file, encoding, wide);
    PSysText parameterText(parameters, encoding, wide);
    PSysText directoryText(directory, encoding, wide);
    if (wide) {
        static constexpr ExecuteCalls<SHELLEXECUTEINFOW, wchar_t> kWide{"ShellExecuteExW",
                                                                        "ShellExecuteW"};
        return Execute(kWide, owner, verbText.w(), fileText.w(), parameterText.w(),
                       directoryText.w(), showCommand);
    }
    static constexpr ExecuteCalls<SHELLEXECUTEINFOA, char> kNarrow{"ShellExecuteExA",
                                                                   "ShellExecuteA"};
    return Execute(kNarrow, owner, verbText.a(), fileText.a(), parameterText.a(), directoryText.a(),
                   showCommand);
}

std::intptr_t PShellOpen(const PString& file, const PStringEncoding* encoding) {
    const PString verb("open");
    return PShellExecute(/*owner=*/nullptr, &verb, file, /*parameters=*/nullptr,
                         /*directory=*/nullptr, encoding, SW_SHOWNORMAL);
}

namespace {

// The texts of one shell-link interface's form.
wchar_t* Chars(PSysText& text, IShellLinkW*) noexcept {
    return text.w();
}
char* Chars(PSysText& text, IShellLinkA*) noexcept {
    return text.a();
}

template <typename Link>
void Fill(Link* link, PSysText& target, PSysText& directory, PSysText& arguments, PSysText& icon,
          int iconIndex) {
    link->SetPath(Chars(target, link));
    link->SetWorkingDirectory(Chars(directory, link));
    if (Chars(arguments, link)) {
        link->SetArguments(Chars(arguments, link));
    }
    if (icon.units() > 0) {
        link->SetIconLocation(Chars(icon, link), iconIndex);
    }
}

// The link's bytes as the shell saves them to a file.
HRESULT SaveToMemory(IUnknown* link, std::vector<std::uint8_t>& bytes) {
    IPersistStream* rawPersist = nullptr;
    HRESULT result =
        link->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&rawPersist));
    if (FAILED(result)) return result;
    const ComPtr<IPersistStream> persist(rawPersist);
    IStream* rawStream = nullptr;
    result = CreateStreamOnHGlobal(nullptr, /*fDeleteOnRelease=*/TRUE, &rawStream);
    if (FAILED(result)) return result;
    const ComPtr<IStream> stream(rawStream);
    result = persist->Save(stream.get(), /*fClearDirty=*/TRUE);
    STATSTG stat{};
    if (SUCCEEDED(result)) result = stream->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(result)) result = stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (FAILED(result)) return result;
    bytes.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    ULONG read = 0;
    result = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return SUCCEEDED(result) && read != bytes.size() ? E_FAIL : result;
}

HRESULT WriteNewFile(const PLinkFreeFolder& folder, const std::string& path,
                     const std::vector<std::uint8_t>& bytes) {
    UniqueFile file;
    const PLinkFree made = folder.createFile(path, file);
    if (made == PLinkFree::kLinked) return HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE);
    if (made != PLinkFree::kDone) return HRESULT_FROM_WIN32(GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return HRESULT_FROM_WIN32(GetLastError());
    return written == bytes.size() ? S_OK : HRESULT_FROM_WIN32(ERROR_DISK_FULL);
}

}  // namespace

HRESULT PCreateShortcut(const PStringEncoding* encoding, const PString& targetPath,
                        const PLinkFreeFolder& folder, const std::string& shortcutFile,
                        const PString& workingDirectory, const PString* arguments,
                        const PString* iconFile, int iconIndex) {
    const bool wide = PWideFor(encoding);
    PSysText target(targetPath, encoding, wide);
    PSysText directory(workingDirectory, encoding, wide);
    PSysText argumentText(arguments, encoding, wide);
    PSysText icon(iconFile, encoding, wide);
    void* raw = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      wide ? IID_IShellLinkW : IID_IShellLinkA, &raw);
    if (FAILED(result)) {
        return result;
    }
    std::vector<std::uint8_t> bytes;
    if (wide) {
        const ComPtr<IShellLinkW> link(static_cast<IShellLinkW*>(raw));
        Fill(link.get(), target, directory, argumentText, icon, iconIndex);
        result = SaveToMemory(link.get(), bytes);
    } else {
        const ComPtr<IShellLinkA> link(static_cast<IShellLinkA*>(raw));
        Fill(link.get(), target, directory, argumentText, icon, iconIndex);
        result = SaveToMemory(link.get(), bytes);
    }
    return FAILED(result) ? result : WriteNewFile(folder, shortcutFile, bytes);
}

bool PBrowseForFolder(HWND owner, const PString& title, BFFCALLBACK callback, LPARAM callbackData,
                      PString& out, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    PSysText titleText(title, encoding, wide);
    if (wide) {
        const WideShellFunctions& functions = WideShell();
        if (!functions.browse || !functions.path) {
            return false;
        }
        wchar_t name[MAX_PATH] = {};
        BROWSEINFOW info =
            BrowseInfo<BROWSEINFOW>(owner, name, titleText.w(), callback, callbackData);
        const UniqueItem item(functions.browse(&info));
        return item && PItemPath(item.get(), out, encoding);
    }
    char name[MAX_PATH] = {};
    BROWSEINFOA info = BrowseInfo<BROWSEINFOA>(owner, name, titleText.a(), callback, callbackData);
    const UniqueItem item(SHBrowseForFolderA(&info));
    return item && PItemPath(item.get(), out, encoding);
}

bool PItemPath(PCIDLIST_ABSOLUTE item, PString& out, const PStringEncoding* encoding) {
    if (PWideFor(encoding)) {
        const WideShellFunctions& functions = WideShell();
        wchar_t path[MAX_PATH] = {};
        if (!functions.path || !functions.path(item, path)) {
            return false;
        }
        PAppendWide(out, path, MAX_PATH, encoding);
        return true;
    }
    char path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(item, path)) {
        return false;
    }
    PAppendNarrow(out, path, PString::boundedLength(path, MAX_PATH), encoding);
    return true;
}

PString PShellFolderPath(int csidl, const PStringEncoding* encoding) {
    PString path;
    ITEMIDLIST* list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list))) {
        return path;
    }
    const UniqueItem item(list);
    PItemPath(item.get(), path, encoding);
    return path;
}

void PBrowseSetSelection(HWND dialog, const PString& path, const PStringEncoding* encoding) {
    if (path.empty()) {
        return;
    }
    const bool wide = PWideFor(encoding);
    PSysText text(path, encoding, wide);
    if (wide) {
        SendMessageW(dialog, kSetSelectionWide, /*wParam=*/1, reinterpret_cast<LPARAM>(text.w()));
    } else {
        SendMessageA(dialog, kSetSelectionNarrow, /*wParam=*/1, reinterpret_cast<LPARAM>(text.a()));
    }
}
