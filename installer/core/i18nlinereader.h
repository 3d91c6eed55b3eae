#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Hands out the lines of a byte source one at a time. Lines end at CR or LF; empty lines (and
// so the LF of a CR LF pair) are skipped; the last line needs no terminator. The source is read
// into a window of kWindowSize bytes that is refilled as needed; a line may be longer.
class I18nLineReader {
  public:
    static constexpr std::size_t kWindowSize = 4096;

    // Fills up to `capacity` bytes of `buffer` and returns how many; 0 means the end.
    using Source = std::function<std::size_t(std::uint8_t* buffer, std::size_t capacity)>;

    explicit I18nLineReader(Source source);
    // Reads `size` bytes at `data`, which must outlive the reader.
    I18nLineReader(const std::uint8_t* data, std::size_t size);

    // Sets `line` to the next non-empty line, without its terminator. False at the end.
    bool next(std::string& line);

  private:
    bool refill();

    Source source_;
    std::uint8_t window_[kWindowSize];
    std::size_t filled_ = 0;
    std::size_t position_ = 0;
};
