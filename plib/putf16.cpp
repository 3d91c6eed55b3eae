#include "plib/putf16.h"

#include <limits>

#include "plib/perror.h"

namespace {

std::uint32_t BytesFor(std::size_t units) {
    if (units > std::numeric_limits<std::uint32_t>::max() / sizeof(PWChar)) {
        throw PSystemMemoryError("_PBlock::_realloc, number of bytes requested",
                                 std::uint64_t{units} * sizeof(PWChar));
    }
    return static_cast<std::uint32_t>(units * sizeof(PWChar));
}

}  // namespace

const PWChar* PUtf16Block::c_str() const noexcept {
    static constexpr PWChar kEmpty[1] = {0};
    return block_.size() ? reinterpret_cast<const PWChar*>(block_.data()) : kEmpty;
}

void PUtf16Block::append(PWChar unit) {
    append(&unit, 1);
}

void PUtf16Block::append(const PWChar* units, std::size_t count) {
    block_.append(units, BytesFor(count));
}

PWChar* PUtf16Block::appendRoom(std::size_t count) {
    return reinterpret_cast<PWChar*>(block_.grow(BytesFor(count)));
}

void PUtf16Block::zeroTerminate() {
    const std::uint32_t size = block_.size();
    *appendRoom(1) = 0;
    block_.setSize(size);
}

void PUtf16Block::reserveUnits(std::size_t count) {
    block_.reserve(BytesFor(count));
}
