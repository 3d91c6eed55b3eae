#include "plib/pstring.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "plib/perror.h"

namespace {

const char* OrEmpty(const char* text) noexcept {
    return text ? text : "";
}

std::uint32_t CheckedSize(std::size_t length) {
    // The text plus its terminator must fit the block's 32-bit size.
    if (length >= std::numeric_limits<std::uint32_t>::max()) {
        throw PSystemMemoryError("_PBlock::_realloc, number of bytes requested",
                                 std::uint64_t{length} + 1);
    }
    return static_cast<std::uint32_t>(length);
}

char AsciiUpper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

char AsciiLower(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

template <typename Number>
PString& AppendNumber(PString& s, Number value, int base) {
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
    for (char* c = digits; c != end; ++c) {
        *c = AsciiUpper(*c);
    }
    return s.append(digits, static_cast<std::size_t>(end - digits));
}

}  // namespace

PString::PString(const char* text) : PString(text, std::numeric_limits<std::size_t>::max()) {}

PString::PString(const char* text, std::size_t maxLength) {
    appendBytes(text, boundedLength(text, maxLength));
}

PString& PString::operator=(const PString& other) {
    if (this != &other) {
        assign(other.c_str(), other.length());
    }
    return *this;
}

PString& PString::operator=(const char* text) {
    assign(text);
    return *this;
}

void PString::assign(const char* text) {
    assign(text, std::numeric_limits<std::size_t>::max());
}

void PString::assign(const char* text, std::size_t maxLength) {
    const std::uint32_t length = CheckedSize(boundedLength(text, maxLength));
    const auto* source = reinterpret_cast<const std::uint8_t*>(text);
    if (length != 0 && block_.data() && source >= block_.data() &&
        source < block_.data() + block_.capacity()) {
        // A new buffer would free the source before it is read.
        PString copy(text, length);
        assign(copy.c_str(), length);
        return;
    }
    if (length == 0 && !block_.data()) {
        return;
    }
    block_.alloc(length + 1);
    std::memcpy(block_.data(), OrEmpty(text), length);
    block_.data()[length] = 0;
}

const char* PString::c_str() const noexcept {
    return block_.size() ? reinterpret_cast<const char*>(block_.data()) : "";
}

PString& PString::append(const char* text) {
    appendBytes(text, text ? std::strlen(text) : 0);
    return *this;
}

PString& PString::append(const char* text, std::size_t maxLength) {
    appendBytes(text, boundedLength(text, maxLength));
    return *this;
}

PString& PString::append(char c) {
    if (c != '\0') {
        appendBytes(&c, 1);
    }
    return *this;
}

PString& PString::appendDecimal(std::int32_t value) {
    return AppendNumber(*this, value, 10);
}
PString& PString::appendDecimal(std::uint32_t value) {
    return AppendNumber(*this, value, 10);
}
PString& PString::appendDecimal(std::int64_t value) {
    return AppendNumber(*this, value, 10);
}
PString& PString::appendDecimal(std::uint64_t value) {
    return AppendNumber(*this, value, 10);
}
PString& PString::appendHex(std::uint32_t value) {
    return AppendNumber(*this, value, 16);
}
PString& PString::appendHex(std::uint64_t value) {
    return AppendNumber(*this, value, 16);
}

void PString::toUpper() noexcept {
    for (char* c = data(); c && *c; ++c) {
        *c = AsciiUpper(*c);
    }
}

void PString::toLower() noexcept {
    for (char* c = data(); c && *c; ++c) {
        *c = AsciiLower(*c);
    }
}

void PString::truncate(std::size_t newLength) noexcept {
    if (newLength < length()) {
        data()[newLength] = '\0';
        block_.size_ = static_cast<std::uint32_t>(newLength + 1);
    }
}

std::size_t PString::boundedLength(const char* text, std::size_t maxLength) noexcept {
    std::size_t length = 0;
    if (text) {
        while (length < maxLength && text[length] != '\0') {
            ++length;
        }
    }
    return length;
}

bool PString::endsWith(const char* suffix) const noexcept {
    return view().ends_with(OrEmpty(suffix));
}

bool PString::operator==(const char* other) const noexcept {
    return view() == OrEmpty(other);
}

int PString::compareNoCase(const char* a, const char* b) noexcept {
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (;; ++a, ++b) {
        const auto ua = static_cast<unsigned char>(AsciiUpper(*a));
        const auto ub = static_cast<unsigned char>(AsciiUpper(*b));
        if (ua != ub || ua == 0) {
            return ua - ub;
        }
    }
}

std::size_t PString::findNoCase(const char* text, const char* pattern) noexcept {
    text = OrEmpty(text);
    pattern = OrEmpty(pattern);
    for (const char* start = text;; ++start) {
        const char* t = start;
        const char* p = pattern;
        while (*p && AsciiUpper(*t) == AsciiUpper(*p)) {
            ++t;
            ++p;
        }
        if (!*p) {
            return static_cast<std::size_t>(start - text);
        }
        if (!*start) {
            return npos;
        }
    }
}

const char* PString::skipBlanks(const char* text) noexcept {
    text = OrEmpty(text);
    while (IsBlank(*text)) {
        ++text;
    }
    return text;
}

const char* PString::trimmedEnd(const char* begin, const char* end) noexcept {
    while (end != begin && IsBlank(end[-1])) {
        --end;
    }
    return end;
}

void PString::appendBytes(const char* bytes, std::size_t n) {
    if (n == 0) {
        return;
    }
    const std::uint32_t count = CheckedSize(n);
    // `bytes` may lie inside this string, which grow() may move.
    const auto* source = reinterpret_cast<const std::uint8_t*>(bytes);
    std::uint8_t* old = block_.data();
    const bool inside = old && source >= old && source < old + block_.capacity();
    const std::size_t offset = inside ? static_cast<std::size_t>(source - old) : 0;
    const bool hadText = block_.size() != 0;
    std::uint8_t* room = block_.grow(hadText ? count : count + 1);
    if (hadText) {
        --room;  // over the old terminator
    }
    std::memmove(room, inside ? block_.data() + offset : source, count);
    room[count] = 0;
}
