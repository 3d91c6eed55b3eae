#pragma once

#include "plib/winseam/pwidenarrow.h"

// Sets the wide-or-narrow override for one test and restores the earlier value afterwards.
class WideNarrowScope {
  public:
    explicit WideNarrowScope(int value) : saved_(PWideNarrowOverride()) {
        PSetWideNarrowOverride(value);
    }
    ~WideNarrowScope() { PSetWideNarrowOverride(saved_); }
    WideNarrowScope(const WideNarrowScope&) = delete;
    WideNarrowScope& operator=(const WideNarrowScope&) = delete;

  private:
    int saved_;
};

// A name no Western code page can write: a narrow call sees a stand-in ("?", or "O" by best
// fit) in its place.
inline constexpr const wchar_t* kOmega = L"\u03A9";
// The same in the program's mixed encoding.
inline constexpr const char* kOmegaMixed =
    "\x10"
    "\xCE\xA9";
