#include "plib/winseam/pwidenarrow.h"

#include <windows.h>

#include <atomic>

#include "plib/pstringencoding.h"
#include "plib/winseam/pcodepage.h"

namespace {

std::atomic<int> wideNarrowOverride{0};

// `text` with each LF as CR LF and its own CRs dropped, byte for byte.
PString WithCrLf(const PString& text) {
    PString out;
    for (const char c : text.view()) {
        if (c == '\n') {
            out.append("\r\n");
        } else if (c != '\r') {
            out.append(c);
        }
    }
    return out;
}

}  // namespace

void PSetWideNarrowOverride(int value) noexcept {
    wideNarrowOverride.store(value);
}

int PWideNarrowOverride() noexcept {
    return wideNarrowOverride.load();
}

bool PUseWideCalls() noexcept {
    const int value = wideNarrowOverride.load();
    if (value != 0) {
        return value > 0;
    }
    return (GetVersion() & 0x80000000u) == 0;
}

PSysText::PSysText(const PString* text, const PStringEncoding* encoding, bool wide, bool crlf)
    : present_(text != nullptr), wide_(wide) {
    if (!text) {
        return;
    }
    const auto toUtf16 = [&](PUtf16Block& out) {
        if (crlf) {
            PStringToUtf16Crlf(out, *text, encoding);
        } else {
            PStringToUtf16(out, *text, encoding);
        }
    };
    if (wide) {
        toUtf16(wideText_);
    } else if (!encoding) {
        narrowText_ = crlf ? WithCrLf(*text) : *text;
    } else {
        PUtf16Block unicode;
        toUtf16(unicode);
        PUtf16ToAnsi(narrowText_, unicode.c_str());
    }
}

wchar_t* PSysText::w() noexcept {
    if (!present_ || !wide_) {
        return nullptr;
    }
    return wideText_.sizeBytes() ? wideText_.data() : &emptyWide_;
}

char* PSysText::a() noexcept {
    if (!present_ || wide_) {
        return nullptr;
    }
    return narrowText_.size() ? narrowText_.data() : &emptyNarrow_;
}

std::size_t PSysText::units() const noexcept {
    if (!present_) {
        return 0;
    }
    return wide_ ? wideText_.units() : narrowText_.length();
}

void PAppendWide(PString& out, const wchar_t* text, std::size_t units,
                 const PStringEncoding* encoding) {
    if (!text) {
        return;
    }
    if (!encoding) {
        PUtf16Block copy;
        std::size_t n = 0;
        while (n < units && text[n] != 0) {
            ++n;
        }
        copy.append(text, n);
        copy.zeroTerminate();
        PString narrow;
        PUtf16ToAnsi(narrow, copy.c_str());
        out.append(narrow.c_str());
        return;
    }
    for (std::size_t i = 0; i < units && text[i] != 0; ++i) {
        encoding->append(out, static_cast<std::int32_t>(text[i]));
    }
}

void PAppendNarrow(PString& out, const char* text, std::size_t length,
                   const PStringEncoding* encoding) {
    if (!encoding) {
        out.append(text, length);
        return;
    }
    PUtf16Block unicode;
    PAnsiToUtf16(unicode, PString(text, length));
    PAppendWide(out, unicode.c_str(), unicode.units(), encoding);
}

std::wstring PToWide(const PString& text) {
    PUtf16Block block;
    PStringToUtf16(block, text, &PMixedEncoding());
    return std::wstring(block.c_str(), block.units());
}

PString PFromWide(const wchar_t* text, std::size_t units) {
    PString out;
    PUtf16ToPString(out, text, units);
    return out;
}
