#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Receives the bytes an LzmaUnpacker decodes.
class UnpackSink {
  public:
    virtual ~UnpackSink() = default;

    // Takes `count` decoded bytes; sets `taken` to how many it consumed. Returns 0 to go on and
    // non-zero to stop the decode (the run then fails).
    virtual int write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) = 0;

    // The number of bytes the decode must produce.
    virtual std::uint32_t totalSize() const = 0;

    // Called by the owner of the decode once it has ended.
    virtual void finish() = 0;
};

// Appends decoded bytes to a caller vector, up to a total count; bytes beyond it are dropped. The
// vector grows with what really decodes, so a damaged header that declares a huge total costs
// nothing until that much data arrives.
class VectorUnpackSink final : public UnpackSink {
  public:
    // `out` must outlive the sink.
    VectorUnpackSink(std::vector<std::uint8_t>& out, std::uint32_t total);

    int write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) override;
    std::uint32_t totalSize() const override { return total_; }
    void finish() override {}

  private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t total_;
    std::uint32_t written_ = 0;
};

// Decodes one raw LZMA1 block: a 5-byte properties header (lc/lp/pb byte, u32 little-endian
// dictionary size), then the compressed stream, which needs no end marker. One per decode.
class LzmaUnpacker {
  public:
    // Output is handed to the sink in steps of at most this many bytes: large enough that a
    // file is written in few calls, small enough to stay in the processor's cache.
    static constexpr std::uint32_t kStepSize = 64u << 10;
    // Larger dictionaries (xz's largest preset uses 64 MiB) count as invalid properties, so that
    // a damaged header cannot ask for gigabytes. The packer uses 8 MiB.
    static constexpr std::uint32_t kMaxDictionary = 64u << 20;

    // The stream is read from a reader in pieces of at most this many bytes.
    static constexpr std::uint32_t kReadSize = 256u << 10;

    // The input block: properties header and stream. It must outlive run().
    void setInput(const std::uint8_t* data, std::uint32_t length);

    // Fills `into` with the `count` bytes of the input block from `offset` on; false when it
    // cannot.
    using BlockReader =
        std::function<bool(std::uint32_t offset, std::uint8_t* into, std::uint32_t count)>;
    // With a reader, run() takes the stream's bytes from it, a piece at a time, instead of from
    // the block where it lies (only the header is read there).
    void setReader(BlockReader reader) { reader_ = std::move(reader); }

    // With decode-ahead, run() decodes on a thread of its own, up to kAheadSteps steps ahead of
    // the sink, so that the sink's work (a disk's) and the decoding overlap. The sink is still
    // called on the caller's thread only, in order; a reader is called on the decoding thread.
    void setDecodeAhead(bool ahead) { decodeAhead_ = ahead; }
    static constexpr std::uint32_t kAheadSteps = 8;

    // Takes ownership of `sink`; destroys the previous one.
    void setSink(std::unique_ptr<UnpackSink> sink);
    UnpackSink* sink() const { return sink_.get(); }

    // Decodes the input until the sink's totalSize() bytes have been written to it. Returns 0 on
    // success and 1 on failure: no sink, a block shorter than its header, invalid properties
    // (kMaxDictionary included), no memory, a corrupt stream, a reader that failed, a sink that
    // asked to stop, or a stream that ends before the total was produced (which would otherwise
    // pass for a complete decode). Exceptions from the sink pass through.
    int run();

  private:
    std::unique_ptr<UnpackSink> sink_;
    const std::uint8_t* input_ = nullptr;
    std::uint32_t inputLength_ = 0;
    std::uint32_t position_ = 0;
    BlockReader reader_;
    bool decodeAhead_ = false;
};
