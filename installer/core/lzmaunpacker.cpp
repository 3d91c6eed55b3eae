#include "installer/core/lzmaunpacker.h"

#include <lzma.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <system_error>
#include <thread>

#include "installer/core/stepqueue.h"

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

// Where the stream comes from: the block where it lies, or pieces from a reader.
struct StreamInput {
    const LzmaUnpacker::BlockReader& reader;
    const std::uint8_t* block;
    std::uint32_t length;
    std::uint32_t& position;
};

// Decodes up to `remaining` bytes, a step at a time into the buffer that `next` gives (nullptr:
// stop), handing each step's size to `put` (false: stop). 0 when all of it was produced.
int Decode(lzma_stream& stream, StreamInput input, std::uint32_t remaining,
           const std::function<std::uint8_t*()>& next,
           const std::function<bool(std::uint32_t)>& put) {
    std::unique_ptr<std::uint8_t[]> piece(
        input.reader ? new (std::nothrow) std::uint8_t[LzmaUnpacker::kReadSize] : nullptr);
    if (input.reader && !piece) return 1;
    // Without a reader the stream is decoded where it lies: the block outlives the run.
    if (!input.reader) {
        stream.next_in = input.block + input.position;
        stream.avail_in = input.length - input.position;
    }
    while (remaining != 0) {
        if (input.reader && stream.avail_in == 0 && input.position != input.length) {
            const std::uint32_t count =
                std::min(LzmaUnpacker::kReadSize, input.length - input.position);
            if (!input.reader(input.position, piece.get(), count)) return 1;
            stream.next_in = piece.get();
            stream.avail_in = count;
        }
        std::uint8_t* const out = next();
        if (!out) return 1;
        const std::size_t before = stream.avail_in;
        const std::uint32_t room = std::min(remaining, LzmaUnpacker::kStepSize);
        stream.next_out = out;
        stream.avail_out = room;
        const lzma_ret ret = lzma_code(&stream, LZMA_RUN);
        // LZMA_BUF_ERROR only says that no progress was possible: the input has run out.
        if (ret != LZMA_OK && ret != LZMA_STREAM_END && ret != LZMA_BUF_ERROR) return 1;
        input.position += static_cast<std::uint32_t>(before - stream.avail_in);
        const auto produced = static_cast<std::uint32_t>(room - stream.avail_out);
        if (produced != 0) {
            if (!put(produced)) return 1;
            remaining -= produced;
        } else if (before == stream.avail_in) {
            break;
        }
        if (ret != LZMA_OK) break;
    }
    return remaining == 0 ? 0 : 1;
}

// Decodes into `step` (LzmaUnpacker::kStepSize bytes), handing each step to `sink`.
int DecodeHere(lzma_stream& stream, StreamInput input, std::uint32_t total, UnpackSink& sink,
               std::uint8_t* step) {
    return Decode(
        stream, input, total, [step] { return step; },
        [&](std::uint32_t produced) {
            std::uint32_t taken = 0;
            return sink.write(step, produced, taken) == 0;
        });
}

// Stops the decoding thread and waits for it, however the sink's loop ends.
class DecoderThread {
  public:
    DecoderThread(std::thread thread, StepQueue& queue)
        : thread_(std::move(thread)), queue_(queue) {}
    DecoderThread(const DecoderThread&) = delete;
    DecoderThread& operator=(const DecoderThread&) = delete;
    ~DecoderThread() {
        queue_.cancel();
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
    StepQueue& queue_;
};

// Decode on a thread of its own, up to the queue's length ahead of `sink`, which is called on
// this thread only, in order, as in a plain decode.
int DecodeAhead(lzma_stream& stream, StreamInput input, std::uint32_t total, UnpackSink& sink,
                StepQueue& queue) {
    const auto produce = [&] {
        bool ok = false;
        try {
            ok = Decode(
                     stream, input, total, [&] { return queue.slot(); },
                     [&](std::uint32_t produced) {
                         queue.push(produced);
                         return true;
                     }) == 0;
        } catch (...) {
        }
        queue.close(ok);
    };
    std::thread thread;
    try {
        thread = std::thread(produce);
    } catch (const std::system_error&) {
        // No thread to spare: the decode runs here, in the buffer the queue would fill first.
        return DecodeHere(stream, input, total, sink, queue.slot());
    }
    const DecoderThread decoder(std::move(thread), queue);
    std::span<const std::uint8_t> step;
    while (queue.pop(step)) {
        std::uint32_t taken = 0;
        if (sink.write(step.data(), static_cast<std::uint32_t>(step.size()), taken) != 0) return 1;
        queue.release();
    }
    return queue.ok() ? 0 : 1;
}

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
    const std::uint32_t total = sink_->totalSize();

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
        std::min(decoder.options->dict_size, std::max(total, kMinDictionary));
    if (decoder.options->dict_size > kMaxDictionary) return 1;
    const StreamInput input{reader_, input_, inputLength_, position_};
    if (lzma_raw_decoder(&decoder.stream, filters) != LZMA_OK) return 1;

    if (decodeAhead_) {
        std::unique_ptr<StepQueue> queue;
        try {
            queue = std::make_unique<StepQueue>(kStepSize, kAheadSteps);
        } catch (const std::bad_alloc&) {
            return 1;
        }
        return DecodeAhead(decoder.stream, input, total, *sink_, *queue);
    }
    std::unique_ptr<std::uint8_t[]> step(new (std::nothrow) std::uint8_t[kStepSize]);
    if (!step) return 1;
    return DecodeHere(decoder.stream, input, total, *sink_, step.get());
}
