#include "installer/core/picturemasters.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "installer/core/littleendian.h"
#include "plib/perror.h"
#include "tools/core/lzmapacker.h"

namespace {

void AppendRecord(std::vector<std::uint8_t>& records, std::uint32_t id, int width, int height,
                  std::uint8_t blue) {
    AppendU32Le(records, id);
    AppendU16Le(records, static_cast<std::uint32_t>(width));
    AppendU16Le(records, static_cast<std::uint32_t>(height));
    for (int i = 0; i < width * height; ++i) records.insert(records.end(), {blue, 2, 3, 0});
}

// The packed form of `records`, as the pictures script writes it.
std::vector<std::uint8_t> Packed(const std::vector<std::uint8_t>& records) {
    LzmaPacker packer;
    packer.add(records.data(), records.size());
    std::vector<std::uint8_t> packed;
    AppendU32Le(packed, static_cast<std::uint32_t>(records.size()));
    const std::vector<std::uint8_t> block = packer.finish();
    packed.insert(packed.end(), block.begin(), block.end());
    return packed;
}

}  // namespace

TEST(PictureMasters, EachRecordIsFoundByItsId) {
    std::vector<std::uint8_t> records;
    AppendRecord(records, 221, 82, 92, 7);
    AppendRecord(records, 255, 26, 28, 9);
    const PictureMasters masters(Packed(records));
    ASSERT_EQ(masters.size(), 2u);
    const JpegImage* skin = masters.find(221);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width, 82);
    EXPECT_EQ(skin->height, 92);
    ASSERT_EQ(skin->pixels.size(), 82u * 92 * 4);
    EXPECT_EQ(skin->pixels[0], 7);
    EXPECT_EQ(masters.find(255)->pixels.back(), 0);
    EXPECT_EQ(masters.find(256), nullptr);
    EXPECT_EQ(PictureMasters().find(221), nullptr);
}

TEST(PictureMasters, DamagedPacksAreRefused) {
    std::vector<std::uint8_t> records;
    AppendRecord(records, 221, 4, 4, 7);
    std::vector<std::uint8_t> cut = records;
    cut.resize(cut.size() - 1);  // the last pixel is missing
    EXPECT_THROW(PictureMasters{Packed(cut)}, PParserError);
    std::vector<std::uint8_t> headerOnly(records.begin(), records.begin() + 5);
    EXPECT_THROW(PictureMasters{Packed(headerOnly)}, PParserError);
    std::vector<std::uint8_t> packed = Packed(records);
    packed.resize(packed.size() / 2);
    EXPECT_THROW(PictureMasters{packed}, PParserError);
    const std::uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0x5D, 0, 0, 0x10, 0};
    EXPECT_THROW(PictureMasters{huge}, PParserError);
}

TEST(PictureMasters, TheBuildsMastersHoldEveryBitmapAtTwiceItsSize) {
    std::ifstream file(ZB_PICTURES_DIR "/bitmaps200.bin", std::ios::binary);
    ASSERT_TRUE(file) << "no bitmaps200.bin in " ZB_PICTURES_DIR;
    const std::vector<std::uint8_t> packed((std::istreambuf_iterator<char>(file)), {});
    const PictureMasters masters(packed);
    EXPECT_GE(masters.size(), 40u);
    const JpegImage* skin = masters.find(221);  // the browse button, 41 x 46 at 100 %
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->width, 82);
    EXPECT_EQ(skin->height, 92);
}
