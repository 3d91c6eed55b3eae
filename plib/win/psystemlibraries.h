#pragma once

#include <windows.h>
// The accessibility header needs the base declarations first.
#include <oleacc.h>

// Calls into system libraries that are not among those the loader takes only from the system
// folder (version, oleacc). The programs run elevated, often from a download folder, so these
// libraries are not imported, where the loader would look for them beside the program first:
// each is loaded from the system folder on first use and stays loaded. Every call returns what
// the system's returns; when the library or function cannot be had, the failure value named
// below with ERROR_PROC_NOT_FOUND as the last error.

// 0.
DWORD PGetFileVersionInfoSize(const wchar_t* file, DWORD* handle);
// FALSE.
BOOL PGetFileVersionInfo(const wchar_t* file, DWORD handle, DWORD size, void* data);
// FALSE.
BOOL PVerQueryValue(const void* block, const char* subBlock, void** buffer, UINT* length);

// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND).
HRESULT PCreateStdAccessibleObject(HWND window, LONG objectId, REFIID riid, void** object);
// HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), as the call's own failures, a negative value.
LRESULT PLresultFromObject(REFIID riid, WPARAM wParam, IUnknown* object);
