#include "crypto/hmacsha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::array<std::uint8_t, 32>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

// RFC 4231's test cases 1, 2, 6 and 7: short, text-like, and keys longer than a block.
TEST(HmacSha256, GivesTheRfc4231Results) {
    EXPECT_EQ(Hex(HmacSha256(std::string(20, '\x0b'), "Hi There")),
              "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(Hex(HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(Hex(HmacSha256(std::string(131, '\xaa'),
                             "Test Using Larger Than Block-Size Key - Hash Key First")),
              "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    EXPECT_EQ(Hex(HmacSha256(std::string(131, '\xaa'),
                             "This is a test using a larger than block-size key and a larger "
                             "than block-size data. The key needs to be hashed before being "
                             "used by the HMAC algorithm.")),
              "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2");
}

TEST(HmacSha256, AnEmptyTextHasAHashToo) {
    EXPECT_EQ(Hex(HmacSha256("key", "")),
              "5d5d139563c95b5967b9bd9a8c9b233a9dedb45072794cd232dc1b74832607d0");
}

}  // namespace
