#include "protocols/inixor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plib/perror.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(IniXor, KeyRepeatsOverTheData) {
    Bytes data = {0x00, 0x00, 0x00, 0xFF, 0x0F};
    const Bytes key = {0x01, 0x02};
    IniXor(data.data(), data.size(), key.data(), key.size());
    EXPECT_EQ(data, (Bytes{0x01, 0x02, 0x01, 0xFD, 0x0E}));
}

TEST(IniXor, TwiceGivesTheBytesBack) {
    const Bytes original = Of("id=12345&site=zz&lang=en-GB, with more text than the key");
    const Bytes key = Of("k3y");
    Bytes data = original;
    IniXor(data.data(), data.size(), key.data(), key.size());
    EXPECT_NE(data, original);
    IniXor(data.data(), data.size(), key.data(), key.size());
    EXPECT_EQ(data, original);
}

TEST(IniXor, EmptyKeyIsAnAssertion) {
    Bytes data = {1, 2, 3};
    try {
        IniXor(data.data(), data.size(), nullptr, 0);
        FAIL() << "no assertion";
    } catch (const PAssert& e) {
        EXPECT_STREQ(e.why(), "Assertion failed: keyLength > 0, file protocols/inixor, line 262");
    }
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
}

TEST(IniXorTracking, KeyIsFortyFiveBytesAndRoundTrips) {
    // Scrambling zeros shows the key: it repeats every 45 bytes and no sooner than that.
    Bytes zeros(2 * kIniXorTrackingKeyLength, 0);
    IniXorTracking(zeros.data(), zeros.size());
    const Bytes first(zeros.begin(), zeros.begin() + kIniXorTrackingKeyLength);
    const Bytes second(zeros.begin() + kIniXorTrackingKeyLength, zeros.end());
    EXPECT_EQ(first, second);
    EXPECT_NE(Bytes(zeros.begin(), zeros.begin() + 30),
              Bytes(zeros.begin() + 30, zeros.begin() + 60));
    EXPECT_NE(first, Bytes(kIniXorTrackingKeyLength, 0));

    const Bytes original = Of("tracking=abc&source=mail&campaign=spring");
    Bytes data = original;
    IniXorTracking(data.data(), data.size());
    EXPECT_NE(data, original);
    IniXorTracking(data.data(), data.size());
    EXPECT_EQ(data, original);
}

}  // namespace
