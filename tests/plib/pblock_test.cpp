#include "plib/pblock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "plib/perror.h"

namespace {

TEST(PBlockTest, FirstGrowthAllocates64BytesThenDoublesTheNewSize) {
    PBlock block;
    block.grow(1);
    EXPECT_EQ(block.size(), 1u);
    EXPECT_EQ(block.capacity(), 64u);
    block.grow(31);  // 32 in all: still fits
    EXPECT_EQ(block.capacity(), 64u);
    block.grow(33);  // 65 > 64: twice the new size
    EXPECT_EQ(block.size(), 65u);
    EXPECT_EQ(block.capacity(), 130u);
}

TEST(PBlockTest, GrowthOfAnEmptyBlockBeyond32BytesDoublesAtOnce) {
    PBlock block;
    block.grow(33);
    EXPECT_EQ(block.capacity(), 66u);
}

TEST(PBlockTest, GrowthKeepsTheContentsAndReturnsTheNewRoom) {
    PBlock block;
    std::memcpy(block.grow(3), "abc", 3);
    std::uint8_t* room = block.grow(100);
    EXPECT_EQ(room, block.data() + 3);
    EXPECT_EQ(std::memcmp(block.data(), "abc", 3), 0);
}

struct AllocCase {
    std::uint32_t before;
    std::uint32_t request;
    std::uint32_t capacityAfter;
};

class PBlockAllocTest : public testing::TestWithParam<AllocCase> {};

TEST_P(PBlockAllocTest, ReusesOrReplacesTheBufferByTheShrinkRule) {
    const AllocCase c = GetParam();
    PBlock block;
    block.alloc(c.before);
    block.alloc(c.request);
    EXPECT_EQ(block.size(), c.request);
    EXPECT_EQ(block.capacity(), c.capacityAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, PBlockAllocTest,
                         testing::Values(AllocCase{10, 20, 20},     // too small: exact
                                         AllocCase{64, 1, 64},      // not above 64: kept
                                         AllocCase{100, 50, 100},   // exactly half: kept
                                         AllocCase{100, 49, 49},    // below half: exact
                                         AllocCase{200, 150, 200},  // fits: kept
                                         AllocCase{65, 32, 32}));

TEST(PBlockTest, AllocOfZeroFreesEverything) {
    PBlock block;
    block.alloc(10);
    block.alloc(0);
    EXPECT_EQ(block.data(), nullptr);
    EXPECT_EQ(block.capacity(), 0u);
}

TEST(PBlockTest, AllocWithExtraGivesExactCapacity) {
    PBlock block;
    block.alloc(500);
    block.alloc(3, 5);
    EXPECT_EQ(block.size(), 3u);
    EXPECT_EQ(block.capacity(), 8u);
}

TEST(PBlockTest, ReserveKeepsSizeAndContents) {
    PBlock block;
    block.append("xyz", 3);
    block.reserve(1000);
    EXPECT_EQ(block.capacity(), 1000u);
    EXPECT_EQ(block.size(), 3u);
    EXPECT_EQ(std::memcmp(block.data(), "xyz", 3), 0);
    block.reserve(10);  // never shrinks
    EXPECT_EQ(block.capacity(), 1000u);
}

TEST(PBlockTest, CopyHasExactlyTheOthersSizeAndMoveEmptiesTheSource) {
    PBlock block;
    block.append("hello", 5);  // capacity 64
    PBlock copy(block);
    EXPECT_EQ(copy.capacity(), 5u);
    EXPECT_EQ(std::memcmp(copy.data(), "hello", 5), 0);
    PBlock moved(std::move(block));
    EXPECT_EQ(moved.size(), 5u);
    EXPECT_EQ(block.data(), nullptr);  // NOLINT: the moved-from state is defined
    EXPECT_EQ(block.size(), 0u);
}

TEST(PBlockTest, AppendingFromInsideTheBlockSurvivesReallocation) {
    PBlock block;
    block.append("0123456789", 10);
    block.reserve(10);
    block.append(block.data() + 2, 5);  // forces a move of the buffer it reads from
    ASSERT_EQ(block.size(), 15u);
    EXPECT_EQ(std::memcmp(block.data(), "012345678923456", 15), 0);
}

TEST(PBlockTest, SetSizeBeyondCapacityIsAnAssertion) {
    PBlock block;
    block.alloc(4);
    EXPECT_THROW(block.setSize(5), PAssert);
    block.setSize(2);
    EXPECT_EQ(block.size(), 2u);
}

TEST(PBlockTest, ImpossibleSizeThrowsTheMemoryErrorOfTheOperation) {
    PBlock block;
    try {
        block.alloc(0xFFFFFFF0u, 0x20u);
        FAIL() << "no error";
    } catch (const PSystemMemoryError& e) {
        EXPECT_STREQ(e.why(), "_PBlock::alloc(2), number of bytes requested: 0x100000010");
    }
    EXPECT_EQ(block.data(), nullptr);
    block.append("ab", 2);
    EXPECT_THROW(block.grow(0xFFFFFFFFu), PSystemMemoryError);
    EXPECT_EQ(block.size(), 2u);  // unchanged by the failure
}

}  // namespace
