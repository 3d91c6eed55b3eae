#include "plib/win/psystemlibraries.h"

#include <winver.h>

#include "plib/winseam/plibrary.h"

namespace {

const PLibrary& VersionLibrary() {
    static const PLibrary library("version.dll", PLibrarySearch::kSystemDirectory);
    return library;
}

const PLibrary& OleaccLibrary() {
    static const PLibrary library("oleacc.dll", PLibrarySearch::kSystemDirectory);
    return library;
}

// The function `name` of `library`, or null with ERROR_PROC_NOT_FOUND as the last error.
template <typename Function>
Function Find(const PLibrary& library, const char* name) {
    const auto function = library.function<Function>(name);
    if (!function) SetLastError(ERROR_PROC_NOT_FOUND);
    return function;
}

const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);

}  // namespace

DWORD PGetFileVersionInfoSize(const wchar_t* file, DWORD* handle) {
    static const auto call =
        Find<decltype(&::GetFileVersionInfoSizeW)>(VersionLibrary(), "GetFileVersionInfoSizeW");
    return call ? call(file, handle) : 0;
}

BOOL PGetFileVersionInfo(const wchar_t* file, DWORD handle, DWORD size, void* data) {
    static const auto call =
        Find<decltype(&::GetFileVersionInfoW)>(VersionLibrary(), "GetFileVersionInfoW");
    return call ? call(file, handle, size, data) : FALSE;
}

BOOL PVerQueryValue(const void* block, const char* subBlock, void** buffer, UINT* length) {
    static const auto call = Find<decltype(&::VerQueryValueA)>(VersionLibrary(), "VerQueryValueA");
    return call ? call(block, subBlock, buffer, length) : FALSE;
}

HRESULT PCreateStdAccessibleObject(HWND window, LONG objectId, REFIID riid, void** object) {
    static const auto call =
        Find<decltype(&::CreateStdAccessibleObject)>(OleaccLibrary(), "CreateStdAccessibleObject");
    return call ? call(window, objectId, riid, object) : kNotFound;
}

LRESULT PLresultFromObject(REFIID riid, WPARAM wParam, IUnknown* object) {
    static const auto call =
        Find<decltype(&::LresultFromObject)>(OleaccLibrary(), "LresultFromObject");
    return call ? call(riid, wParam, object) : static_cast<LRESULT>(kNotFound);
}
