#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Encodes one raw LZMA1 block in the form LzmaUnpacker reads: the 5-byte properties header
// (0x5D: lc 3, lp 0, pb 2; dictionary 8 MiB), then the stream, which ends with an end marker so
// that other raw decoders (xz --format=raw) can read it too. A build-time helper.
class LzmaPacker {
  public:
    static constexpr std::uint32_t kDictionarySize = 8u << 20;

    // Throws PInternalError when the encoder cannot start.
    LzmaPacker();
    ~LzmaPacker();
    LzmaPacker(const LzmaPacker&) = delete;
    LzmaPacker& operator=(const LzmaPacker&) = delete;

    // Appends `size` bytes to the data to encode. Throws PInternalError on an encoder error.
    void add(const std::uint8_t* data, std::size_t size);

    // Ends the stream and returns the whole block; the packer is then spent.
    std::vector<std::uint8_t> finish();

    // The number of bytes added so far.
    std::uint64_t unpackedSize() const { return unpackedSize_; }

  private:
    void code(int action);

    struct State;
    std::unique_ptr<State> state_;
    std::vector<std::uint8_t> block_;
    std::uint64_t unpackedSize_ = 0;
};
