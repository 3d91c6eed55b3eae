#include "installer/core/downloadcode.h"

#include <gtest/gtest.h>

#include <string>

#include "plib/perror.h"

namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

DownloadCodeHash CountingHash() {
    DownloadCodeHash hash;
    for (std::size_t i = 0; i < hash.size(); ++i) hash[i] = static_cast<std::uint8_t>(i * 9 + 250);
    return hash;
}

// RFC 4648's vectors without their padding, and the two characters only the URL alphabet has.
TEST(Base64Url, EncodesAndDecodesTheStandardVectors) {
    const struct {
        const char* bytes;
        const char* text;
    } cases[] = {
        {"", ""},           {"f", "Zg"},          {"fo", "Zm8"},          {"foo", "Zm9v"},
        {"foob", "Zm9vYg"}, {"fooba", "Zm9vYmE"}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff\xbf", "-_-_"}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeBase64Url(Bytes(c.bytes)), c.text);
        EXPECT_EQ(DecodeBase64Url(c.text), c.bytes);
    }
}

TEST(Base64Url, RefusesEverySecondSpelling) {
    for (const char* text :
         {"Zg==", "Zm8=", "Zh", "Zm9", "+/+/", "-_-/", "Z", "Zm9vY", "Zm 9v", "Zm9v\n"})
        EXPECT_FALSE(DecodeBase64Url(text)) << text;
}

TEST(DownloadCode, FormatsAndParsesBackEveryByte) {
    std::string text;
    for (int i = 1; i < 256; ++i) text += static_cast<char>(i);
    const std::string code = FormatDownloadCode(text, CountingHash());
    EXPECT_EQ(
        code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_."),
        std::string::npos);
    std::string why;
    const auto parsed = ParseDownloadCode(code, why);
    ASSERT_TRUE(parsed) << why;
    EXPECT_EQ(parsed->text, text);
    EXPECT_EQ(parsed->hash, CountingHash());
}

TEST(DownloadCode, ReadsAKnownCode) {
    DownloadCodeHash hash{};
    hash[31] = 1;
    std::string why;
    const auto parsed =
        ParseDownloadCode("U0lURUlEPUZS.AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAE", why);
    ASSERT_TRUE(parsed) << why;
    EXPECT_EQ(parsed->text, "SITEID=FR");
    EXPECT_EQ(parsed->hash, hash);
}

TEST(DownloadCode, RefusesMalformedCodesSayingWhy) {
    const std::string hash = EncodeBase64Url(CountingHash());
    const std::string longest(kMaxDownloadCodeText, 'x');
    std::string why;
    ASSERT_TRUE(ParseDownloadCode(FormatDownloadCode(longest, CountingHash()), why)) << why;
    const struct {
        std::string code;
        const char* why;
    } cases[] = {
        {"", "without a dot"},
        {"U0lURUlEPUZS" + hash, "without a dot"},
        {"U0lURUlEPUZS." + hash + ".x", "not URL-safe Base64"},
        {"U0lURUlEPUZS=." + hash, "not URL-safe Base64"},
        {"U0lURUlEPUZS." + hash + "=", "not URL-safe Base64"},
        {"U0lURUlEPUZS%2E" + hash, "without a dot"},
        {"." + hash, "text empty"},
        {"U0lURUlEPUZS." + EncodeBase64Url(Bytes(std::string(31, 'h'))), "hash is not 32 bytes"},
        {"U0lURUlEPUZS." + EncodeBase64Url(Bytes(std::string(33, 'h'))), "hash is not 32 bytes"},
        {EncodeBase64Url(Bytes(longest + "x")) + "." + hash, "code longer than"},
        {std::string(5000, 'A') + "." + hash, "code longer than"},
    };
    for (const auto& c : cases) {
        why.clear();
        EXPECT_FALSE(ParseDownloadCode(c.code, why)) << c.code;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.code << ": " << why;
    }
}

TEST(DownloadKeys, EachLineIsAKeyAndShortOnesAreRefused) {
    const std::string a(32, 'a'), b = "0123456789abcdef0123456789abcdef==";
    EXPECT_EQ(ReadDownloadKeys(a + "\r\n\n" + b + "\n"), (std::vector<std::string>{a, b}));
    EXPECT_EQ(ReadDownloadKeys(a), std::vector<std::string>{a});
    EXPECT_THROW(ReadDownloadKeys(""), PInternalError);
    EXPECT_THROW(ReadDownloadKeys("\n\r\n"), PInternalError);
    EXPECT_THROW(ReadDownloadKeys(a + "\n" + std::string(31, 'b')), PInternalError);
}

}  // namespace
