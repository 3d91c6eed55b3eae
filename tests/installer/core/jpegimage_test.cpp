#include "installer/core/jpegimage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// libjpeg's header uses FILE and size_t and includes neither's header.
#include <jpeglib.h>

#include "plib/perror.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
};

// Each 8 x 8 block gets its own flat colour: with flat blocks on the codec's block grid and no
// chroma subsampling, a quality-100 encoding decodes within a few levels of what went in.
Rgb BlockColour(int x, int y) {
    const int bx = x / 8, by = y / 8;
    return {(bx * 53 + by * 17 + 20) % 256, (bx * 29 + by * 71 + 90) % 256,
            (bx * 11 + by * 97) % 256};
}

// Encodes the block pattern at width x height with libjpeg's own encoder.
Bytes EncodePattern(int width, int height) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    Bytes row(static_cast<std::size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = BlockColour(x, static_cast<int>(info.next_scanline));
            row[x * 3] = static_cast<std::uint8_t>(c.r);
            row[x * 3 + 1] = static_cast<std::uint8_t>(c.g);
            row[x * 3 + 2] = static_cast<std::uint8_t>(c.b);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return out;
}

// The pixel at (x, y) counted from the picture's top, out of the bottom-up BGRX buffer.
Rgb PixelAt(const JpegImage& image, int x, int y) {
    const std::size_t offset =
        (static_cast<std::size_t>(image.height - 1 - y) * image.width + x) * 4;
    const std::uint8_t* p = image.pixels.data() + offset;
    EXPECT_EQ(p[3], 0) << "at " << x << "," << y;
    return {p[2], p[1], p[0]};
}

// Counts the pixels of rows [0, rows) that differ from the pattern by more than a few levels.
int MismatchesInTopRows(const JpegImage& image, int rows) {
    int bad = 0;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb want = BlockColour(x, y), got = PixelAt(image, x, y);
            if (std::abs(want.r - got.r) > 4 || std::abs(want.g - got.g) > 4 ||
                std::abs(want.b - got.b) > 4) {
                ++bad;
            }
        }
    }
    return bad;
}

std::string DecodeError(const Bytes& data) {
    try {
        DecodeJpeg(data.data(), data.size());
    } catch (const PInternalError& e) {
        return e.why();
    }
    return "(decoded)";
}

// Offset of the baseline frame header's precision byte (after FF C0 and its length).
std::size_t FrameHeader(const Bytes& jpeg) {
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            return i + 4;
        }
    }
    ADD_FAILURE() << "no baseline frame header";
    return 0;
}

TEST(JpegImageTest, DecodesSizeColoursAndBottomUpRowOrder) {
    // A size off the 8-pixel grid checks the partial blocks at the right and bottom edges.
    const Bytes jpeg = EncodePattern(37, 21);
    const JpegImage image = DecodeJpeg(jpeg.data(), jpeg.size());
    ASSERT_EQ(image.width, 37);
    ASSERT_EQ(image.height, 21);
    ASSERT_EQ(image.pixels.size(), 37u * 21u * 4u);
    EXPECT_EQ(MismatchesInTopRows(image, 21), 0);
}

TEST(JpegImageTest, DecodesPicturesSpanningManyPiecesWholeOrCutShort) {
    const Bytes whole = EncodePattern(640, 480);
    ASSERT_GT(whole.size(), 3u * 4096u) << "the picture must span several 4,096-byte pieces";
    // A file cut in half still decodes: the supplied end marker lets the decoder finish, and the
    // rows that were present come out right.
    const struct {
        const char* name;
        std::size_t kept;
        int rowsIntact;
    } cases[] = {{"whole", whole.size(), 480}, {"cut in half", whole.size() / 2, 64}};
    for (const auto& c : cases) {
        const JpegImage image = DecodeJpeg(whole.data(), c.kept);
        ASSERT_EQ(image.width, 640) << c.name;
        ASSERT_EQ(image.height, 480) << c.name;
        EXPECT_EQ(MismatchesInTopRows(image, c.rowsIntact), 0) << c.name;
    }
}

TEST(JpegImageTest, FailuresGiveTheDecoderMessages) {
    const Bytes good = EncodePattern(16, 16);
    Bytes precision = good;
    precision[FrameHeader(precision)] = 7;
    Bytes huge = good;
    const std::size_t frame = FrameHeader(huge);
    for (std::size_t i = frame + 1; i < frame + 5; i += 2) {
        huge[i] = 0xFF;  // height and width 65,500, the decoder's own limit
        huge[i + 1] = 0xDC;
    }
    Bytes wide = good;
    wide[FrameHeader(wide) + 1] = 0x10;  // 4,112 x 4,112: just above the limit
    wide[FrameHeader(wide) + 3] = 0x10;
    const struct {
        const char* name;
        Bytes data;
        std::string message;
    } cases[] = {
        {"empty", {}, "JPEG: empty file"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "JPEG: Not a JPEG file: starts with 0x68 0x65"},
        {"start marker only", {0xFF, 0xD8}, "JPEG: JPEG datastream contains no image"},
        {"bad precision", precision, "JPEG: Unsupported JPEG data precision 7"},
        {"65500 x 65500", huge, "JPEG: picture too large"},
        {"4112 x 4112", wide, "JPEG: picture too large"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeError(c.data), c.message) << c.name;
    }
}

TEST(JpegImageTest, CallerLimitCountsPixels) {
    const Bytes jpeg = EncodePattern(16, 16);
    EXPECT_EQ(DecodeJpeg(jpeg.data(), jpeg.size(), 256).pixels.size(), 16u * 16 * 4);
    EXPECT_THROW(DecodeJpeg(jpeg.data(), jpeg.size(), 255), PInternalError);
}

#ifdef ZB_PICTURES_DIR
Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(JpegImageTest, WizardBackgroundsDecodeWithDarkPanelAndWhitePage) {
    for (const char* name : {"background107.jpg", "background108.jpg"}) {
        const Bytes jpeg = ReadFile(std::string(ZB_PICTURES_DIR) + "/" + name);
        ASSERT_FALSE(jpeg.empty()) << name;
        const JpegImage image = DecodeJpeg(jpeg.data(), jpeg.size());
        ASSERT_EQ(image.width, 960) << name;
        ASSERT_EQ(image.height, 720) << name;
        const Rgb panel = PixelAt(image, 100, 650), page = PixelAt(image, 923, 27);
        EXPECT_LT(panel.r + panel.g + panel.b, 200) << name;
        EXPECT_GE(page.r + page.g + page.b, 3 * 252) << name;
    }
}
#endif

}  // namespace
