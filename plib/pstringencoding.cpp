#include "plib/pstringencoding.h"

#include <cstdint>

#include "plib/perror.h"

namespace {

// [text, end) with end at the first zero byte or after `length` bytes.
const char* TextEnd(const char* text, std::size_t length) noexcept {
    return text + PString::boundedLength(text, length);
}

class Utf8Reader final : public PStringReader {
  public:
    Utf8Reader(const char* begin, const char* end, std::uint16_t replacement) noexcept
        : cursor_(begin), end_(end), replacement_(replacement) {}

    std::int32_t next() override {
        for (;;) {
            const std::int32_t cp = PUtf8Decode(cursor_, end_);
            if (cp != -2) {
                return cp;
            }
            // A damaged byte stands as the replacement character rather than ending the text
            // early; a zero replacement means the byte is just dropped.
            if (replacement_ != 0) {
                return replacement_;
            }
        }
    }

  private:
    const char* cursor_;
    const char* end_;
    std::uint16_t replacement_;
};

class Windows1252Reader final : public PStringReader {
  public:
    Windows1252Reader(const char* begin, const char* end) noexcept : cursor_(begin), end_(end) {}

    std::int32_t next() override {
        while (cursor_ != end_) {
            const std::int32_t cp = PWindows1252ToCodePoint(static_cast<std::uint8_t>(*cursor_++));
            if (cp != 0) {  // the code page's five undefined bytes are skipped
                return cp;
            }
        }
        return 0;
    }

  private:
    const char* cursor_;
    const char* end_;
};

void AppendUtf8(PString& out, std::int32_t codePoint) {
    char bytes[kUtf8MaxSequence];
    out.append(bytes, PUtf8Encode(codePoint, bytes));
}

template <bool kCrlf>
void ToUtf16(PUtf16Block& out, const PString& text, const PStringEncoding* encoding) {
    out.clear();
    out.reserveUnits(std::size_t{text.length()} + 1);
    auto put = [&out](PWChar unit) {
        if constexpr (kCrlf) {
            if (unit == u'\r') {
                return;
            }
            if (unit == u'\n') {
                out.append(u'\r');
            }
        }
        out.append(unit);
    };
    if (!encoding) {
        for (char c : text.view()) {
            put(static_cast<PWChar>(static_cast<std::uint8_t>(c)));
        }
    } else {
        const auto reader = encoding->createReader(text);
        for (std::int32_t cp = reader->next(); cp > 0; cp = reader->next()) {
            const auto unit = static_cast<PWChar>(cp & 0xFFFF);
            put(unit != 0 ? unit : static_cast<PWChar>(encoding->replacement()));
        }
    }
    out.zeroTerminate();
}

}  // namespace

void PStringEncoding::append(PString& out, std::int32_t codePoint) const {
    if (codePoint < 0) {
        return;
    }
    if (codePoint == 0) {
        if (flags_ & kNullThrows) {
            PString message(name());
            message.append(": unexpected NULL character");
            throw PInternalError(message.c_str());
        }
        if (!(flags_ & kNullReplaced) || replacement_ == 0) {
            return;
        }
        codePoint = replacement_;
    }
    appendCodePoint(out, codePoint);
}

std::unique_ptr<PStringEncoding> PStringEncodingUtf8::clone() const {
    return std::make_unique<PStringEncodingUtf8>(*this);
}

std::unique_ptr<PStringReader> PStringEncodingUtf8::createReader(const char* text,
                                                                 std::size_t length) const {
    text = text ? text : "";
    return std::make_unique<Utf8Reader>(text, TextEnd(text, length), replacement());
}

void PStringEncodingUtf8::appendCodePoint(PString& out, std::int32_t codePoint) const {
    AppendUtf8(out, codePoint);
}

std::unique_ptr<PStringEncoding> PStringEncodingPStringX::clone() const {
    return std::make_unique<PStringEncodingPStringX>(*this);
}

std::unique_ptr<PStringReader> PStringEncodingPStringX::createReader(const char* text,
                                                                     std::size_t length) const {
    text = text ? text : "";
    const char* end = TextEnd(text, length);
    if (text != end && *text == kUtf8Marker) {
        return std::make_unique<Utf8Reader>(text + 1, end, replacement());
    }
    return std::make_unique<Windows1252Reader>(text, end);
}

void PStringEncodingPStringX::appendCodePoint(PString& out, std::int32_t codePoint) const {
    if (isMarked(out.c_str())) {
        AppendUtf8(out, codePoint);
        return;
    }
    const int byte = PWindows1252FromCodePoint(codePoint);
    // A first byte 0x10 would read as the marker: U+0010 can open only a marked text.
    if (byte >= 0 && !(byte == kUtf8Marker && out.empty())) {
        out.append(static_cast<char>(byte));
        return;
    }
    PString marked;
    marked.append(kUtf8Marker);
    for (char c : out.view()) {
        // Undefined code-page bytes read as nothing, so they are left out here too.
        if (const std::int32_t cp = PWindows1252ToCodePoint(static_cast<std::uint8_t>(c))) {
            AppendUtf8(marked, cp);
        }
    }
    AppendUtf8(marked, codePoint);
    out = std::move(marked);
}

const PStringEncodingPStringX& PMixedEncoding() noexcept {
    static const PStringEncodingPStringX encoding;
    return encoding;
}

void PStringToUtf16(PUtf16Block& out, const PString& text, const PStringEncoding* encoding) {
    ToUtf16<false>(out, text, encoding);
}

void PStringToUtf16Crlf(PUtf16Block& out, const PString& text, const PStringEncoding* encoding) {
    ToUtf16<true>(out, text, encoding);
}

std::string PMixedJoin(std::initializer_list<std::string_view> parts) {
    std::string plain;
    bool marked = false;
    for (const std::string_view part : parts) {
        marked = marked || part.starts_with(PStringEncodingPStringX::kUtf8Marker);
        plain += part;
    }
    if (!marked) return plain;
    const PStringEncodingPStringX& mixed = PMixedEncoding();
    PString joined;
    for (const std::string_view part : parts) {
        const std::unique_ptr<PStringReader> reader = mixed.createReader(part.data(), part.size());
        for (std::int32_t c = reader->next(); c > 0; c = reader->next()) mixed.append(joined, c);
    }
    return std::string(joined.view());
}

void PUtf16ToPString(PString& out, const PWChar* text, std::size_t units) {
    if (!text) {
        return;
    }
    const PStringEncodingPStringX& mixed = PMixedEncoding();
    for (std::size_t i = 0; i < units && text[i] != 0; ++i) {
        mixed.append(out, static_cast<std::int32_t>(text[i]));
    }
}
