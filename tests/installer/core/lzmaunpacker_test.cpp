#include "installer/core/lzmaunpacker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tools/core/lzmapacker.h"

namespace {

std::vector<std::uint8_t> Pack(const std::vector<std::uint8_t>& data) {
    LzmaPacker packer;
    packer.add(data.data(), data.size());
    return packer.finish();
}

// Half random bytes, half repeated text: both the literal and the match paths get exercised.
std::vector<std::uint8_t> SampleData(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    std::mt19937 random(7);
    const char text[] = "the quick brown fox jumps over the lazy dog ";
    for (std::size_t i = 0; i < size; ++i) {
        data[i] =
            (i / 4096) % 2 ? static_cast<std::uint8_t>(random()) : text[i % (sizeof text - 1)];
    }
    return data;
}

// Keeps everything it is given and the largest single write; may refuse, or throw, after a
// while. Every write must come on the thread that made the sink, in steps of at most kStepSize.
class RecordingSink final : public UnpackSink {
  public:
    RecordingSink(std::vector<std::uint8_t>& out, std::uint32_t total, std::size_t refuseAfter,
                  std::uint32_t& largestWrite, std::size_t throwAfter = SIZE_MAX)
        : out_(out),
          total_(total),
          refuseAfter_(refuseAfter),
          throwAfter_(throwAfter),
          largestWrite_(largestWrite) {}
    int write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) override {
        EXPECT_EQ(std::this_thread::get_id(), caller_);
        EXPECT_LE(count, LzmaUnpacker::kStepSize);
        out_.insert(out_.end(), bytes, bytes + count);
        largestWrite_ = std::max(largestWrite_, count);
        taken = count;
        if (out_.size() > throwAfter_) throw std::runtime_error("disk full");
        return out_.size() > refuseAfter_ ? 1 : 0;
    }
    std::uint32_t totalSize() const override { return total_; }
    void finish() override {}

  private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t total_;
    std::size_t refuseAfter_;
    std::size_t throwAfter_;
    std::uint32_t& largestWrite_;
    std::thread::id caller_ = std::this_thread::get_id();
};

// Decodes `block` into `out`; `largestWrite` receives the largest step handed to the sink.
int Decode(const std::vector<std::uint8_t>& block, std::vector<std::uint8_t>& out,
           std::uint32_t total, std::size_t refuseAfter = SIZE_MAX,
           std::uint32_t* largestWrite = nullptr, bool ahead = false) {
    std::uint32_t largest = 0;
    LzmaUnpacker unpacker;
    unpacker.setDecodeAhead(ahead);
    unpacker.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
    unpacker.setSink(std::make_unique<RecordingSink>(out, total, refuseAfter, largest));
    const int result = unpacker.run();
    if (largestWrite) *largestWrite = largest;
    return result;
}

}  // namespace

TEST(LzmaUnpacker, PackerWritesTheShippedPropertiesHeader) {
    const auto block = Pack({1, 2, 3});
    ASSERT_GE(block.size(), 5u);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 5),
              (std::vector<std::uint8_t>{0x5D, 0x00, 0x00, 0x80, 0x00}));
}

TEST(LzmaUnpacker, DecodesExactlyTheTotalInSteps) {
    const auto data = SampleData(300000);
    const auto block = Pack(data);
    constexpr std::uint32_t kStep = LzmaUnpacker::kStepSize;
    for (std::uint32_t total : {0u, 1u, kStep - 1, kStep, kStep + 1, 300000u}) {
        std::vector<std::uint8_t> out;
        std::uint32_t largestWrite = 0;
        ASSERT_EQ(Decode(block, out, total, SIZE_MAX, &largestWrite), 0) << total;
        EXPECT_EQ(out, std::vector<std::uint8_t>(data.begin(), data.begin() + total)) << total;
        EXPECT_LE(largestWrite, LzmaUnpacker::kStepSize);
    }
}

TEST(LzmaUnpacker, AStreamShorterThanTheTotalFails) {
    const auto data = SampleData(5000);
    const auto block = Pack(data);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(Decode(block, out, 5001), 1);
    EXPECT_EQ(out, data);

    // Cut in the middle: what decodes is delivered, and the run still fails.
    const std::vector<std::uint8_t> cut(block.begin(), block.begin() + block.size() / 2);
    out.clear();
    EXPECT_EQ(Decode(cut, out, 5000), 1);
    EXPECT_LT(out.size(), 5000u);
}

TEST(LzmaUnpacker, BadInputFails) {
    const auto good = Pack(SampleData(2000));
    std::vector<std::uint8_t> invalidProperties = good;
    invalidProperties[0] = 0xE1;  // above the largest lc/lp/pb combination
    std::vector<std::uint8_t> lcPlusLpTooLarge = good;
    lcPlusLpTooLarge[0] = (2 * 5 + 1) * 9 + 4;  // lc 4, lp 1
    std::vector<std::uint8_t> corrupt = good;
    for (std::size_t i = 5; i < corrupt.size(); ++i) corrupt[i] ^= 0x5A;
    for (const auto& block :
         {invalidProperties, lcPlusLpTooLarge, corrupt,
          std::vector<std::uint8_t>(good.begin(), good.begin() + 4), std::vector<std::uint8_t>()}) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(Decode(block, out, 2000), 1);
    }
}

TEST(LzmaUnpacker, DictionariesAboveTheLimitAreRefusedBeforeDecoding) {
    auto block = Pack(SampleData(2000));
    const std::uint32_t dictionary = LzmaUnpacker::kMaxDictionary * 2;
    for (int i = 0; i < 4; ++i) block[1 + i] = static_cast<std::uint8_t>(dictionary >> (8 * i));
    std::vector<std::uint8_t> out;
    EXPECT_EQ(Decode(block, out, 200u << 20), 1);
    EXPECT_TRUE(out.empty());
    // A dictionary larger than the output is only as large as the output needs.
    EXPECT_EQ(Decode(block, out, 2000), 0);
    EXPECT_EQ(out, SampleData(2000));
}

TEST(LzmaUnpacker, ASinkThatStopsEndsTheRunWithFailure) {
    constexpr std::uint32_t kSize = 3 * LzmaUnpacker::kStepSize;
    const auto block = Pack(SampleData(kSize));
    std::vector<std::uint8_t> out;
    EXPECT_EQ(Decode(block, out, kSize, /*refuseAfter=*/LzmaUnpacker::kStepSize / 2), 1);
    EXPECT_EQ(out.size(), LzmaUnpacker::kStepSize);
}

TEST(LzmaUnpacker, AReaderGivesTheStreamInBoundedPiecesInOrder) {
    const auto data = SampleData(3 * LzmaUnpacker::kReadSize);
    const auto block = Pack(data);
    // The block's stream bytes are spoiled where they lie: only the reader's copy is good.
    auto spoiled = block;
    std::fill(spoiled.begin() + 5, spoiled.end(), 0xA5);
    std::uint32_t next = 5;
    std::uint32_t reads = 0;
    std::vector<std::uint8_t> out;
    std::uint32_t largest = 0;
    LzmaUnpacker unpacker;
    unpacker.setInput(spoiled.data(), static_cast<std::uint32_t>(spoiled.size()));
    unpacker.setReader([&](std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
        EXPECT_EQ(offset, next);
        EXPECT_LE(count, LzmaUnpacker::kReadSize);
        EXPECT_LE(std::size_t{offset} + count, block.size());
        std::copy_n(block.begin() + offset, count, into);
        next = offset + count;
        ++reads;
        return true;
    });
    unpacker.setSink(std::make_unique<RecordingSink>(out, static_cast<std::uint32_t>(data.size()),
                                                     SIZE_MAX, largest));
    EXPECT_EQ(unpacker.run(), 0);
    EXPECT_EQ(out, data);
    EXPECT_GE(reads, 1u);
}

TEST(LzmaUnpacker, AReaderThatFailsEndsTheRunWithFailure) {
    const auto data = SampleData(2 * LzmaUnpacker::kReadSize);
    const auto block = Pack(data);
    std::vector<std::uint8_t> out;
    std::uint32_t largest = 0;
    LzmaUnpacker unpacker;
    unpacker.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
    unpacker.setReader([](std::uint32_t, std::uint8_t*, std::uint32_t) { return false; });
    unpacker.setSink(std::make_unique<RecordingSink>(out, static_cast<std::uint32_t>(data.size()),
                                                     SIZE_MAX, largest));
    EXPECT_EQ(unpacker.run(), 1);
    EXPECT_TRUE(out.empty());
}

TEST(LzmaUnpacker, RunWithoutSinkFails) {
    const auto block = Pack({1});
    LzmaUnpacker unpacker;
    unpacker.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
    EXPECT_EQ(unpacker.run(), 1);
}

TEST(LzmaUnpacker, DecodeAheadHandsTheSameStepsToTheSinkOnTheCallersThread) {
    // More steps than the queue holds, so that the decoder waits for the sink too.
    const auto data = SampleData((LzmaUnpacker::kAheadSteps + 3) * LzmaUnpacker::kStepSize + 17);
    const auto block = Pack(data);
    for (const bool throughReader : {false, true}) {
        std::vector<std::uint8_t> out;
        LzmaUnpacker unpacker;
        unpacker.setDecodeAhead(true);
        unpacker.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
        if (throughReader) {
            unpacker.setReader([&](std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
                std::copy_n(block.begin() + offset, count, into);
                return true;
            });
        }
        std::uint32_t largest = 0;
        unpacker.setSink(std::make_unique<RecordingSink>(
            out, static_cast<std::uint32_t>(data.size()), SIZE_MAX, largest));
        EXPECT_EQ(unpacker.run(), 0);
        EXPECT_TRUE(out == data) << "reader: " << throughReader;
    }
}

TEST(LzmaUnpacker, DecodeAheadEndsOnEveryFailureWithoutWaitingForTheDecoder) {
    const auto data = SampleData((LzmaUnpacker::kAheadSteps + 3) * LzmaUnpacker::kStepSize);
    const auto block = Pack(data);
    const auto total = static_cast<std::uint32_t>(data.size());
    std::vector<std::uint8_t> out;

    EXPECT_EQ(Decode(block, out, total, /*refuseAfter=*/LzmaUnpacker::kStepSize, nullptr, true), 1);
    EXPECT_EQ(out.size(), 2 * LzmaUnpacker::kStepSize);
    out.clear();
    EXPECT_EQ(Decode(block, out, total + 1, SIZE_MAX, nullptr, true), 1);
    EXPECT_EQ(out, data);

    LzmaUnpacker throwing;
    throwing.setDecodeAhead(true);
    throwing.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
    out.clear();
    std::uint32_t largest = 0;
    throwing.setSink(std::make_unique<RecordingSink>(out, total, SIZE_MAX, largest,
                                                     /*throwAfter=*/LzmaUnpacker::kStepSize));
    EXPECT_THROW(throwing.run(), std::runtime_error);

    LzmaUnpacker unreadable;
    unreadable.setDecodeAhead(true);
    unreadable.setInput(block.data(), static_cast<std::uint32_t>(block.size()));
    unreadable.setReader([](std::uint32_t, std::uint8_t*, std::uint32_t) { return false; });
    out.clear();
    unreadable.setSink(std::make_unique<RecordingSink>(out, total, SIZE_MAX, largest));
    EXPECT_EQ(unreadable.run(), 1);
    EXPECT_TRUE(out.empty());
}

TEST(VectorUnpackSink, AppendsUpToItsTotalAndDropsTheRest) {
    std::vector<std::uint8_t> out{9};
    VectorUnpackSink sink(out, 4);
    std::uint32_t taken = 99;
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(sink.write(bytes, 2, taken), 0);
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(sink.write(bytes + 2, 3, taken), 0);
    EXPECT_EQ(taken, 2u);
    EXPECT_EQ(sink.write(bytes, 1, taken), 0);
    EXPECT_EQ(taken, 0u);
    EXPECT_EQ(sink.totalSize(), 4u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{9, 1, 2, 3, 4}));
}
