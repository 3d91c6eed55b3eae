#include "installer/core/i18nlinereader.h"

#include <algorithm>
#include <cstring>

I18nLineReader::I18nLineReader(Source source) : source_(std::move(source)) {}

I18nLineReader::I18nLineReader(const std::uint8_t* data, std::size_t size)
    : source_([data, size, offset = std::size_t{0}](std::uint8_t* buffer,
                                                    std::size_t capacity) mutable {
          const std::size_t n = std::min(capacity, size - offset);
          if (n != 0) std::memcpy(buffer, data + offset, n);
          offset += n;
          return n;
      }) {}

bool I18nLineReader::refill() {
    position_ = 0;
    filled_ = source_(window_, kWindowSize);
    return filled_ != 0;
}

bool I18nLineReader::next(std::string& line) {
    line.clear();
    for (;;) {
        if (position_ == filled_ && !refill()) return !line.empty();
        const std::uint8_t* start = window_ + position_;
        const std::uint8_t* end = window_ + filled_;
        const std::uint8_t* stop =
            std::find_if(start, end, [](std::uint8_t c) { return c == '\r' || c == '\n'; });
        line.append(reinterpret_cast<const char*>(start), stop - start);
        position_ = stop - window_;
        if (stop == end) continue;
        ++position_;
        if (!line.empty()) return true;
    }
}
