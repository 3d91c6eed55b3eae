#include "installer/core/messageformat.h"

#include <cstdint>
#include <memory>

#include "plib/pcodetables.h"
#include "plib/pstringencoding.h"

namespace {

bool IsDigit(std::int32_t c) {
    return c >= '0' && c <= '9';
}

// Where formatted characters go: bytes, or code points through the mixed encoding.
class Output {
  public:
    Output(PString& out, bool byCodePoint) : out_(out), byCodePoint_(byCodePoint) {}

    void put(std::int32_t c) {
        if (byCodePoint_) {
            PMixedEncoding().append(out_, c);
        } else {
            out_.append(static_cast<char>(c));
        }
    }

    // Appends `arg`, lower-cased when asked.
    void putArgument(const PString& arg, bool lower) {
        if (!byCodePoint_) {
            for (char byte : arg.view()) {
                const auto b = static_cast<std::uint8_t>(byte);
                const std::int32_t lowered =
                    lower ? PWindows1252FromCodePoint(PToLowerCodePoint(PWindows1252ToCodePoint(b)))
                          : -1;
                put(lowered > 0 ? lowered : b);
            }
            return;
        }
        const auto reader = PMixedEncoding().createReader(arg);
        for (std::int32_t c = reader->next(); c > 0; c = reader->next()) {
            put(lower ? PToLowerCodePoint(c) : c);
        }
    }

  private:
    PString& out_;
    bool byCodePoint_;
};

// Reads a pattern as bytes or as code points.
class PatternReader {
  public:
    PatternReader(std::string_view pattern, bool byCodePoint) : pattern_(pattern) {
        if (byCodePoint) reader_ = PMixedEncoding().createReader(pattern.data(), pattern.size());
    }
    // The next character, or 0 or less at the end.
    std::int32_t next() {
        if (reader_) return reader_->next();
        // A zero byte ends a text, as it does for the code-point readers.
        return position_ < pattern_.size() ? static_cast<std::uint8_t>(pattern_[position_++]) : 0;
    }

  private:
    std::string_view pattern_;
    std::size_t position_ = 0;
    std::unique_ptr<PStringReader> reader_;
};

}  // namespace

void FormatMessageText(PString& out, std::string_view pattern, const PString* const* args,
                       int argCount) {
    bool byCodePoint = PStringEncodingPStringX::isMarked(out.c_str()) ||
                       (!pattern.empty() && pattern[0] == PStringEncodingPStringX::kUtf8Marker);
    for (int i = 0; i < argCount; ++i) {
        byCodePoint = byCodePoint || PStringEncodingPStringX::isMarked(args[i]->c_str());
    }
    Output output(out, byCodePoint);
    PatternReader reader(pattern, byCodePoint);
    // A character read after "%L" that turns out not to be a digit is read again as text.
    std::int32_t pending = 0;
    const auto next = [&] {
        const std::int32_t c = pending > 0 ? pending : reader.next();
        pending = 0;
        return c;
    };
    for (std::int32_t c = next(); c > 0; c = next()) {
        if (c != '%') {
            output.put(c);
            continue;
        }
        c = next();
        const bool lower = c == 'L' || c == 'l';
        if (lower) c = next();
        if (c <= 0) return;
        if (lower && !IsDigit(c)) {
            pending = c;
        } else if (c == '%') {
            output.put('%');
        } else if (IsDigit(c) && c - '0' < argCount) {
            output.putArgument(*args[c - '0'], lower);
        }
    }
}
