#pragma once

#include <cstddef>
#include <string>

#include "plib/pstring.h"
#include "plib/putf16.h"

class PStringEncoding;

// Every helper of the Windows layer calls either the wide ("W") or the narrow ("A") form of a
// system function. The process-wide override decides: 0 chooses automatically (wide exactly on
// the NT family, whose version word has its top bit clear), positive forces wide, negative
// forces narrow. A helper called with no encoding always uses the narrow form and passes its
// 8-bit text unchanged.
void PSetWideNarrowOverride(int value) noexcept;
int PWideNarrowOverride() noexcept;
// Whether helpers with an encoding use the wide forms now.
bool PUseWideCalls() noexcept;
// The form one helper call uses for texts read through `encoding`.
inline bool PWideFor(const PStringEncoding* encoding) noexcept {
    return encoding && PUseWideCalls();
}

// One text made ready for a system call in the form chosen at construction: UTF-16 in wide
// form; in narrow form the active code page (through UTF-16), or the bytes unchanged when there
// is no encoding. An absent text (null) gives null in both forms.
class PSysText {
  public:
    // With `crlf`, each line feed becomes CR LF and CRs of the text are dropped (for multi-line
    // controls).
    PSysText(const PString* text, const PStringEncoding* encoding, bool wide, bool crlf = false);
    PSysText(const PString& text, const PStringEncoding* encoding, bool wide, bool crlf = false)
        : PSysText(&text, encoding, wide, crlf) {}

    // Zero-terminated; null when absent. The buffers stay owned by this object and may be
    // written into (CreateProcess edits its command line).
    wchar_t* w() noexcept;
    char* a() noexcept;
    // The text's length in its form, in units; 0 when absent.
    std::size_t units() const noexcept;

  private:
    bool present_;
    bool wide_;
    PUtf16Block wideText_;
    PString narrowText_;
    // What an empty text points at: the owned buffers may have none.
    wchar_t emptyWide_ = 0;
    char emptyNarrow_ = 0;
};

// Program text (mixed encoding) as UTF-16, for the calls that have only a wide form (window
// classes and texts, drawing, accessibility, COM).
std::wstring PToWide(const PString& text);
// UTF-16 system text as program text (mixed encoding), each unit as one code point, so that
// PToWide gives the units back; the text ends at a zero unit or after `units` units.
PString PFromWide(const wchar_t* text, std::size_t units = PString::npos);

// Appends system text to `out` through `encoding`, each UTF-16 unit as one code point; the
// text ends at a zero unit or after `units` units.
void PAppendWide(PString& out, const wchar_t* text, std::size_t units,
                 const PStringEncoding* encoding);
// Appends text in the active code page (narrow form): read into UTF-16 and appended through
// `encoding`, or appended unchanged when there is no encoding.
void PAppendNarrow(PString& out, const char* text, std::size_t length,
                   const PStringEncoding* encoding);
