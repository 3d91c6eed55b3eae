#include "server/byteranges.h"

#include <gtest/gtest.h>

#include <string>

namespace {

RangeAnswer Partial(std::vector<ByteRange> ranges) {
    return {RangeAnswer::Partial, std::move(ranges)};
}

void ExpectAnswer(const char* header, std::uint64_t size, const RangeAnswer& expected) {
    const RangeAnswer got = ParseRange(header, size);
    EXPECT_EQ(got.kind, expected.kind) << header;
    EXPECT_EQ(got.ranges, expected.ranges) << header;
}

TEST(ParseRange, OneRangeOfEveryForm) {
    ExpectAnswer("bytes=0-99", 1000, Partial({{0, 100}}));
    ExpectAnswer("bytes=500-", 1000, Partial({{500, 500}}));
    ExpectAnswer("bytes=-100", 1000, Partial({{900, 100}}));
    ExpectAnswer("bytes=999-999", 1000, Partial({{999, 1}}));
    ExpectAnswer("Bytes= 10-19 ", 1000, Partial({{10, 10}}));
}

TEST(ParseRange, RangesPastTheEndAreCutOrUnsatisfiable) {
    ExpectAnswer("bytes=900-5000", 1000, Partial({{900, 100}}));
    ExpectAnswer("bytes=-5000", 1000, Partial({{0, 1000}}));
    ExpectAnswer("bytes=1000-", 1000, {RangeAnswer::Unsatisfiable, {}});
    ExpectAnswer("bytes=1000-1001", 1000, {RangeAnswer::Unsatisfiable, {}});
    ExpectAnswer("bytes=-0", 1000, {RangeAnswer::Unsatisfiable, {}});
    ExpectAnswer("bytes=0-0", 0, {RangeAnswer::Unsatisfiable, {}});
    ExpectAnswer("bytes=-1", 0, {RangeAnswer::Unsatisfiable, {}});
    // One range inside is enough.
    ExpectAnswer("bytes=2000-3000, 5-6", 1000, Partial({{5, 2}}));
}

TEST(ParseRange, SeveralRangesAreSortedAndCloseOnesMerged) {
    ExpectAnswer("bytes=500-599,0-9", 1000, Partial({{0, 10}, {500, 100}}));
    ExpectAnswer("bytes=0-9,5-20", 100000, Partial({{0, 21}}));
    ExpectAnswer("bytes=0-9,100-109", 100000, Partial({{0, 110}}));
    ExpectAnswer("bytes=0-9,1000-1009", 100000, Partial({{0, 10}, {1000, 10}}));
    ExpectAnswer("bytes=-10,0-", 100000, Partial({{0, 100000}}));
    ExpectAnswer("bytes=0-1,,4-5", 100000, Partial({{0, 6}}));
}

TEST(ParseRange, WhatBreaksTheSyntaxOrAsksTooMuchGetsTheWholeBody) {
    for (const char* header :
         {"", "bytes=", "bytes=,", "items=0-9", "bytes 0-9", "bytes=9-0", "bytes=a-9", "bytes=0-9x",
          "bytes=--9", "bytes=0-9;1-2", "bytes=1", "bytes=+1-2", "bytes=0x10-20",
          "bytes=99999999999999999999-", "bytes=-99999999999999999999", "bytes=0-9,9-0"})
        ExpectAnswer(header, 1000, {});
    std::string many = "bytes=0-0";
    for (std::size_t i = 1; i < kMaxRanges; ++i)
        many += "," + std::to_string(i * 1000) + "-" + std::to_string(i * 1000);
    EXPECT_EQ(ParseRange(many, 100000).ranges.size(), kMaxRanges);
    ExpectAnswer((many + ",99000-99000").c_str(), 100000, {});
}

TEST(Validators, NoneMatchComparesWeaklyAndIfRangeStrongly) {
    const std::string tag = "\"abc\"";
    for (const char* header :
         {"\"abc\"", "W/\"abc\"", "\"x\", \"abc\"", "*", " * ", "\"x\",W/\"abc\""})
        EXPECT_TRUE(NoneMatchHolds(header, tag)) << header;
    for (const char* header : {"", "\"abcd\"", "abc", "\"ab\", \"c\"", "W/abc"})
        EXPECT_FALSE(NoneMatchHolds(header, tag)) << header;
    EXPECT_TRUE(IfRangeHolds("", tag));
    EXPECT_TRUE(IfRangeHolds("\"abc\"", tag));
    for (const char* header : {"W/\"abc\"", "\"abd\"", "Wed, 21 Oct 2015 07:28:00 GMT", "abc"})
        EXPECT_FALSE(IfRangeHolds(header, tag)) << header;
}

}  // namespace
