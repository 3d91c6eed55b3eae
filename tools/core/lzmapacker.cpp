#include "tools/core/lzmapacker.h"

#include <lzma.h>

#include "plib/perror.h"

struct LzmaPacker::State {
    lzma_stream stream = LZMA_STREAM_INIT;
    ~State() { lzma_end(&stream); }
};

namespace {

constexpr std::size_t kOutputStep = 1 << 16;

}  // namespace

LzmaPacker::LzmaPacker() : state_(std::make_unique<State>()) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6)) throw PInternalError("LzmaPacker: no preset");
    options.dict_size = kDictionarySize;
    options.lc = 3;
    options.lp = 0;
    options.pb = 2;
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    block_.resize(5);
    if (lzma_properties_encode(&filters[0], block_.data()) != LZMA_OK ||
        lzma_raw_encoder(&state_->stream, filters) != LZMA_OK) {
        throw PInternalError("LzmaPacker: cannot start the encoder");
    }
}

LzmaPacker::~LzmaPacker() = default;

void LzmaPacker::add(const std::uint8_t* data, std::size_t size) {
    // liblzma reports a call that can make no progress as an error.
    if (size == 0) return;
    state_->stream.next_in = data;
    state_->stream.avail_in = size;
    code(LZMA_RUN);
    unpackedSize_ += size;
}

std::vector<std::uint8_t> LzmaPacker::finish() {
    state_->stream.next_in = nullptr;
    state_->stream.avail_in = 0;
    code(LZMA_FINISH);
    return std::move(block_);
}

void LzmaPacker::code(int action) {
    lzma_stream& stream = state_->stream;
    for (;;) {
        const std::size_t used = block_.size();
        block_.resize(used + kOutputStep);
        stream.next_out = block_.data() + used;
        stream.avail_out = kOutputStep;
        const lzma_ret ret = lzma_code(&stream, static_cast<lzma_action>(action));
        block_.resize(block_.size() - stream.avail_out);
        if (ret == LZMA_STREAM_END) return;
        if (ret != LZMA_OK) throw PInternalError("LzmaPacker: encoder error");
        if (action == LZMA_RUN && stream.avail_in == 0) return;
    }
}
