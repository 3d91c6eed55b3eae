#include "plib/win/presource.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// The test program carries tests/data/notajpeg.jpg as "ZB"/150 (testresources.rc).
constexpr int kTestResource = 150;

std::string FileText(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PResourceBytes, GivesTheBytesOfTheProgramsOwnResource) {
    const auto bytes = PResourceBytes(nullptr, kTestResource, L"ZB");
    const std::string expected = FileText(ZB_TEST_DATA_DIR "/notajpeg.jpg");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    // The same through the module's handle as through null.
    const auto again = PResourceBytes(::GetModuleHandleW(nullptr), kTestResource, L"ZB");
    EXPECT_EQ(again.data(), bytes.data());
    EXPECT_EQ(again.size(), bytes.size());
}

TEST(PResourceBytes, AnAbsentIdOrTypeGivesNothing) {
    EXPECT_TRUE(PResourceBytes(nullptr, kTestResource + 1000, L"ZB").empty());
    EXPECT_TRUE(PResourceBytes(nullptr, kTestResource, L"NOSUCHTYPE").empty());
}

}  // namespace
