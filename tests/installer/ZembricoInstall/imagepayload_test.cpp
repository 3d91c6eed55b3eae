#include "installer/ZembricoInstall/imagepayload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "installer/core/resourceids.h"
#include "plib/win/presource.h"

namespace {

// A resource of the test program that spans many pages: the 200 % background picture.
std::span<const std::uint8_t> OwnResource() {
    return PResourceBytes(nullptr, 117, kResourceType);
}

using Stretch = std::pair<const std::uint8_t*, std::uint32_t>;

TEST(ImageBlockReader, GivesEachPieceAsTheImageHoldsItThenReleasesThatPiece) {
    const std::span<const std::uint8_t> resource = OwnResource();
    ASSERT_GT(resource.size(), 3 * 4096u);
    std::vector<Stretch> released;
    const auto read = ImageBlockReader(resource, [&](const std::uint8_t* bytes, std::uint32_t n) {
        released.emplace_back(bytes, n);
    });
    const auto size = static_cast<std::uint32_t>(resource.size());
    std::vector<std::uint8_t> whole(size);
    ASSERT_TRUE(read(0, whole.data(), size));
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), resource.begin()));
    std::uint8_t tail[3] = {};
    ASSERT_TRUE(read(size - 3, tail, 3));
    EXPECT_TRUE(std::equal(tail, tail + 3, resource.end() - 3));
    EXPECT_EQ(released,
              (std::vector<Stretch>{{resource.data(), size}, {resource.data() + size - 3, 3u}}));
}

TEST(ImageBlockReader, APieceOutsideTheBlockIsRefusedAndNothingReleased) {
    const std::span<const std::uint8_t> resource = OwnResource();
    ASSERT_FALSE(resource.empty());
    const auto size = static_cast<std::uint32_t>(resource.size());
    std::uint32_t releases = 0;
    const auto read =
        ImageBlockReader(resource, [&](const std::uint8_t*, std::uint32_t) { ++releases; });
    std::vector<std::uint8_t> into(size + 1);
    EXPECT_FALSE(read(0, into.data(), size + 1));
    EXPECT_FALSE(read(size, into.data(), 1));
    EXPECT_FALSE(read(1u << 31, into.data(), 1));
    EXPECT_FALSE(read(1, into.data(), 0xFFFFFFFFu));
    EXPECT_EQ(releases, 0u);
}

TEST(ImageBlockReader, ReleasedImagePagesReadTheSameAgain) {
    // A release that discarded the pages instead (a reset of their contents) would leave zeros
    // where a second installation in the same process reads the payload again.
    const std::span<const std::uint8_t> resource = OwnResource();
    ASSERT_FALSE(resource.empty());
    const std::vector<std::uint8_t> before(resource.begin(), resource.end());
    const auto read = ImageBlockReader(resource);
    std::vector<std::uint8_t> piece(1000);
    for (std::uint32_t offset = 0; offset < resource.size(); offset += 1000) {
        const auto count =
            std::min<std::uint32_t>(1000, static_cast<std::uint32_t>(resource.size()) - offset);
        ASSERT_TRUE(read(offset, piece.data(), count));
    }
    EXPECT_TRUE(std::equal(before.begin(), before.end(), resource.begin()));
    std::vector<std::uint8_t> again(resource.size());
    ASSERT_TRUE(read(0, again.data(), static_cast<std::uint32_t>(again.size())));
    EXPECT_EQ(again, before);
}

}  // namespace
