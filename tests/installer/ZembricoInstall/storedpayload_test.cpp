#include "installer/ZembricoInstall/storedpayload.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <vector>

#include "installer/core/resourceids.h"
#include "plib/win/presource.h"

namespace {

// The test program's own "ZB" resource 150.
std::span<const std::uint8_t> OwnResource() {
    return PResourceBytes(nullptr, 150, kResourceType);
}

TEST(StoredPayload, AResourceReadsFromTheExecutableFileAsItLiesInMemory) {
    const std::span<const std::uint8_t> resource = OwnResource();
    ASSERT_FALSE(resource.empty());
    const auto stored = StoredPayload::OfModuleResource(nullptr, resource);
    ASSERT_TRUE(stored);
    const auto size = static_cast<std::uint32_t>(resource.size());
    std::vector<std::uint8_t> whole(size);
    ASSERT_TRUE(stored->read(0, whole.data(), size));
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), resource.begin()));
    std::uint8_t tail[3] = {};
    ASSERT_TRUE(stored->read(size - 3, tail, 3));
    EXPECT_TRUE(std::equal(tail, tail + 3, resource.end() - 3));
}

TEST(StoredPayload, BytesOutsideTheImageOrPastTheFileHaveNoStore) {
    const std::vector<std::uint8_t> heap(64, 1);
    EXPECT_FALSE(StoredPayload::OfModuleResource(nullptr, heap));
    const std::span<const std::uint8_t> resource = OwnResource();
    ASSERT_FALSE(resource.empty());
    // A span that runs past its section's data in the file is refused as a whole.
    EXPECT_FALSE(StoredPayload::OfModuleResource(
        nullptr, std::span(resource.data(), resource.size() + (64u << 20))));
    const auto stored = StoredPayload::OfModuleResource(nullptr, resource);
    ASSERT_TRUE(stored);
    std::uint8_t byte = 0;
    EXPECT_FALSE(stored->read(1u << 30, &byte, 1));
}

}  // namespace
