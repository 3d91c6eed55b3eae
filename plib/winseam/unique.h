#pragma once

#include <windows.h>

#include <utility>

// One owner for every kind of system handle. A traits type names the handle type, its empty
// value and its close function; the owner closes a non-empty handle exactly once, on reset or
// destruction. Owners move, never copy.
template <typename Traits>
class UniqueAny {
  public:
    using Handle = typename Traits::Handle;

    UniqueAny() noexcept = default;
    explicit UniqueAny(Handle handle) noexcept : handle_(handle) {}
    UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::empty(); }

    // Gives the handle up without closing it.
    Handle release() noexcept { return std::exchange(handle_, Traits::empty()); }
    // Closes the held handle (when there is one) and takes `handle`.
    void reset(Handle handle = Traits::empty()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::empty()) Traits::close(old);
    }

  private:
    Handle handle_ = Traits::empty();
};

struct HandleTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::CloseHandle(h); }
};

// Files answer INVALID_HANDLE_VALUE, not null, when they fail to open.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) noexcept { ::FindClose(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::RegCloseKey(h); }
};

template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::DeleteObject(h); }
};

// Cursors loaded at a size of their own (LoadImage without LR_SHARED).
struct CursorTraits {
    using Handle = HCURSOR;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::DestroyCursor(h); }
};

// Memory device contexts (CreateCompatibleDC); a window's own DC is released, see UniqueWindowDc.
struct HdcTraits {
    using Handle = HDC;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::DeleteDC(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::FreeLibrary(h); }
};

// Memory the system allocated for the caller with LocalAlloc (security descriptors, messages).
struct LocalMemoryTraits {
    using Handle = void*;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle h) noexcept { ::LocalFree(h); }
};

using UniqueHandle = UniqueAny<HandleTraits>;
using UniqueFile = UniqueAny<FileHandleTraits>;
using UniqueFind = UniqueAny<FindHandleTraits>;
using UniqueRegKey = UniqueAny<RegKeyTraits>;
using UniqueGdiObject = UniqueAny<GdiObjectTraits<HGDIOBJ>>;
using UniqueBitmap = UniqueAny<GdiObjectTraits<HBITMAP>>;
using UniqueFont = UniqueAny<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueAny<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueAny<GdiObjectTraits<HPEN>>;
using UniqueRegion = UniqueAny<GdiObjectTraits<HRGN>>;
using UniqueHdc = UniqueAny<HdcTraits>;
using UniqueCursor = UniqueAny<CursorTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
using UniqueLocalMemory = UniqueAny<LocalMemoryTraits>;

// A window's device context from GetDC, released to its window (ReleaseDC needs both).
class UniqueWindowDc {
  public:
    // Null `window` gives the screen's context.
    explicit UniqueWindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    ~UniqueWindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// Runs a clean-up that is not a handle (restoring a selected GDI object, CoUninitialize) when
// the scope ends, unless dismissed.
template <typename Action>
class ScopeExit {
  public:
    explicit ScopeExit(Action action) noexcept : action_(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (armed_) action_();
    }
    void dismiss() noexcept { armed_ = false; }

  private:
    Action action_;
    bool armed_ = true;
};
