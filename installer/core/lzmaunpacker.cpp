#include "installer/core/lzmaunpacker.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

constexpr std::uint32_t kPropertiesSize = 5;

// liblzma refuses smaller dictionaries; it would round up to this anyway.
constexpr std::uint32_t kMinDictionary = 4096;

// Owns the decoder state, and the filter options that lzma_properties_decode allocates.
struct LzmaDecoder {
    lzma_stream stream = LZMA_STREAM_INIT;
    lzma_options_lzma* options = nullptr;

    LzmaDecoder() = default;
    LzmaDecoder(const LzmaDecoder&) = delete;
    LzmaDecoder& operator=(const LzmaDecoder&) = delete;
    ~LzmaDecoder() {
        lzma_end(&stream);
        std::free(options);
    }
};

}  // namespace

VectorUnpackSink::VectorUnpackSink(std::vector<std::uint8_t>& out, std::uint32_t total)
    : out_(out), total_(total) {}

int VectorUnpackSink::write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) {
    taken = std::min(count, total_ - written_);
    out_.insert(out_.end(), bytes, bytes + taken);
    written_ += taken;
    return 0;
}

void LzmaUnpacker::setInput(const std::uint8_t* data, std::uint32_t length) {
    input_ = data;
    inputLength_ = length;
    position_ = 0;
}

void LzmaUnpacker::setSink(std::unique_ptr<UnpackSink> sink) {
    sink_ = std::move(sink);
}

int LzmaUnpacker::run() {
    if (!sink_ || inputLength_ - position_ < kPropertiesSize) return 1;
    std::uint32_t remaining = sink_->totalSize();

    LzmaDecoder decoder;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, input_ + position_, kPropertiesSize) !=
        LZMA_OK) {
        return 1;
    }
    decoder.options = static_cast<lzma_options_lzma*>(filters[0].options);
    position_ += kPropertiesSize;
    // A dictionary larger than the whole output never holds more than the output, so the
    // decode is the same with a dictionary of the output's size; small tables then need
    // kilobytes instead of the 8 MiB the packer declares.
    decoder.options->dict_size =
        std::min(decoder.options->dict_size, std::max(remaining, kMinDictionary));
    if (decoder.options->dict_size > kMaxDictionary) return 1;

    std::unique_ptr<std::uint8_t[]> step(new (std::nothrow) std::uint8_t[kStepSize]);
    std::unique_ptr<std::uint8_t[]> piece(reader_ ? new (std::nothrow) std::uint8_t[kReadSize]
                                                  : nullptr);
    if (!step || (reader_ && !piece)) return 1;
    if (lzma_raw_decoder(&decoder.stream, filters) != LZMA_OK) return 1;

    // Without a reader the stream is decoded where it lies: the block outlives the run.
    if (!reader_) {
        decoder.stream.next_in = input_ + position_;
        decoder.stream.avail_in = inputLength_ - position_;
    }
    while (remaining != 0) {
        if (reader_ && decoder.stream.avail_in == 0 && position_ != inputLength_) {
            const std::uint32_t count = std::min(kReadSize, inputLength_ - position_);
            if (!reader_(position_, piece.get(), count)) return 1;
            decoder.stream.next_in = piece.get();
            decoder.stream.avail_in = count;
        }
        const std::size_t before = decoder.stream.avail_in;
        decoder.stream.next_out = step.get();
        decoder.stream.avail_out = std::min(remaining, kStepSize);
        const lzma_ret ret = lzma_code(&decoder.stream, LZMA_RUN);
        // LZMA_BUF_ERROR only says that no progress was possible: the input has run out.
        if (ret != LZMA_OK && ret != LZMA_STREAM_END && ret != LZMA_BUF_ERROR) return 1;
        position_ += static_cast<std::uint32_t>(before - decoder.stream.avail_in);
        const auto produced =
            static_cast<std::uint32_t>(std::min(remaining, kStepSize) - decoder.stream.avail_out);
        if (produced != 0) {
            std::uint32_t taken = 0;
            if (sink_->write(step.get(), produced, taken) != 0) return 1;
            remaining -= produced;
        } else if (before == decoder.stream.avail_in) {
            break;
        }
        if (ret != LZMA_OK) break;
    }
    return remaining == 0 ? 0 : 1;
}
