#include "tools/core/derelement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes WithContent(Bytes header, std::size_t length) {
    header.resize(header.size() + length, 0xEE);
    return header;
}

TEST(DerElement, ReadsShortAndLongLengths) {
    const struct {
        Bytes header;
        std::uint32_t headerSize, length;
    } cases[] = {
        {{0x30, 0x00}, 2, 0},
        {{0x04, 0x7F}, 2, 127},
        {{0x04, 0x81, 0x80}, 3, 128},
        {{0x04, 0x82, 0x01, 0x00}, 4, 256},
        {{0x30, 0x83, 0x01, 0x00, 0x00}, 5, 65536},
    };
    for (const auto& c : cases) {
        const Bytes bytes = WithContent(c.header, c.length);
        const auto size = static_cast<std::uint32_t>(bytes.size());
        const std::optional<DerElement> element = ReadDerElement(bytes, 0, size);
        ASSERT_TRUE(element) << c.length;
        EXPECT_EQ(element->tag, c.header[0]);
        EXPECT_EQ(element->header, c.headerSize);
        EXPECT_EQ(element->length, c.length);
        EXPECT_EQ(element->end(), size);
        // One byte short of its content is no element.
        EXPECT_FALSE(ReadDerElement(bytes, 0, size - 1)) << c.length;
    }
}

TEST(DerElement, RefusesWhatDerDoesNotAllow) {
    const struct {
        const char* what;
        Bytes bytes;
    } cases[] = {
        {"indefinite length", {0x30, 0x80, 0x00, 0x00}},
        {"long form for a short length", {0x04, 0x81, 0x05, 1, 2, 3, 4, 5}},
        {"leading zero length byte", WithContent({0x04, 0x82, 0x00, 0x90}, 0x90)},
        {"five length bytes", {0x04, 0x85, 0, 0, 0, 0, 1, 0}},
        {"multi-byte tag number", {0x1F, 0x81, 0x01, 0x00}},
        {"header cut short", {0x04, 0x82, 0x01}},
        {"one byte", {0x30}},
        {"content past the end", {0x04, 0x03, 1, 2}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadDerElement(c.bytes, 0, static_cast<std::uint32_t>(c.bytes.size())))
            << c.what;
    }
    // A limit beyond the bytes is the bytes' end.
    const Bytes two = {0x04, 0x05, 1, 2};
    EXPECT_FALSE(ReadDerElement(two, 0, 1000));
    EXPECT_FALSE(ReadDerElement(two, 4, 1000));
}

TEST(DerElement, HeadersAreShortestAndReadBack) {
    const struct {
        std::uint32_t length;
        std::size_t size;
    } cases[] = {{0, 2},     {127, 2},   {128, 3},      {255, 3},      {256, 4},
                 {65535, 4}, {65536, 5}, {0xFFFFFF, 5}, {0x1000000, 6}};
    for (const auto& c : cases) {
        const Bytes header = DerHeader(0xA1, c.length);
        EXPECT_EQ(header.size(), c.size) << c.length;
        const Bytes bytes = WithContent(header, c.length);
        const std::optional<DerElement> element =
            ReadDerElement(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
        ASSERT_TRUE(element) << c.length;
        EXPECT_EQ(element->length, c.length);
        EXPECT_EQ(element->header, c.size);
    }
}

TEST(DerElement, ChildrenMustFillTheirParent) {
    // SEQUENCE { INTEGER 5, OCTET STRING "ab", NULL }
    const Bytes whole = {0x30, 0x09, 0x02, 0x01, 0x05, 0x04, 0x02, 'a', 'b', 0x05, 0x00};
    const std::optional<DerElement> parent = ReadDerElement(whole, 0, 11);
    ASSERT_TRUE(parent);
    const std::optional<std::vector<DerElement>> children = DerChildren(whole, *parent);
    ASSERT_TRUE(children);
    ASSERT_EQ(children->size(), 3u);
    EXPECT_EQ((*children)[1].tag, 0x04);
    EXPECT_EQ((*children)[1].offset, 5u);
    EXPECT_TRUE(DerContentIs(whole, (*children)[1], Bytes{'a', 'b'}));
    EXPECT_FALSE(DerContentIs(whole, (*children)[1], Bytes{'a', 'c'}));
    EXPECT_FALSE(DerContentIs(whole, (*children)[1], Bytes{'a'}));
    EXPECT_EQ((*children)[2].end(), parent->end());

    // The last child claims a byte more than its parent holds.
    Bytes overlong = whole;
    overlong[6] = 0x03;
    EXPECT_FALSE(DerChildren(overlong, *parent));
    // A parent of one byte cannot hold a child header.
    const Bytes stub = {0x30, 0x01, 0x02};
    EXPECT_FALSE(DerChildren(stub, *ReadDerElement(stub, 0, 3)));
    // An empty parent has no children.
    const Bytes empty = {0x31, 0x00};
    EXPECT_EQ(DerChildren(empty, *ReadDerElement(empty, 0, 2))->size(), 0u);
}

}  // namespace
