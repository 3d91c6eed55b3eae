#include "installer/core/installspace.h"

#include <gtest/gtest.h>

#include <string>

#include "installer/core/messagetable.h"

namespace {

constexpr std::uint64_t kMiB = 1u << 20;
constexpr std::uint64_t kGiB = kMiB << 10;

MessageTable EnglishSpaceTexts() {
    const std::string text =
        "en TXTINS_GB 0 GB\r\n"
        "en TXTINS_MB 0 MB\r\n"
        "en TXTINS_Bytes 0 Bytes\r\n"
        "en TXTINS_Space_requiredX_N0_N1 0 Space required: %0 %1\r\n"
        "en TXTINS_Space_availableX_N0_N1 0 Space available: %0 %1\r\n";
    MessageTable table;
    I18nLineReader reader(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    std::string error;
    EXPECT_GE(i18nLoadDynamicTable(table, reader, error), 0) << error;
    return table;
}

std::string Pick(const char* picked, const char* name = "Zembrico.FR") {
    return std::string(InstallFolderForPick(PString(picked), "Zembrico", name).view());
}

}  // namespace

TEST(InstallSpace, RequiredSpaceIsWholeMiBPlusSpare) {
    // Eleven 1-byte files at 4096-byte clusters take 45,056 bytes: shown as the spare alone.
    EXPECT_EQ(ShownRequiredSpace(45056), 5 * kMiB);
    EXPECT_EQ(ShownRequiredSpace(0), 5 * kMiB);
    EXPECT_EQ(ShownRequiredSpace(kMiB - 1), 5 * kMiB);
    EXPECT_EQ(ShownRequiredSpace(kMiB), 6 * kMiB);
    EXPECT_EQ(ShownRequiredSpace(300 * kMiB + 4095), 305 * kMiB);
    // Above 4 GiB nothing wraps.
    EXPECT_EQ(ShownRequiredSpace(5 * kGiB + 7), 5 * kGiB + 5 * kMiB);
    EXPECT_EQ(ShownRequiredSpace(0xFFFFFFFFu), 4100 * kMiB);
}

TEST(InstallSpace, AmountsChangeUnitAtOneMiBAndAbove1024MiB) {
    struct Case {
        std::uint64_t bytes;
        std::int64_t amount;
        MessageKey unit;
    } cases[] = {
        {0, 0, TXTINS_Bytes},
        {512 * 1024, 524288, TXTINS_Bytes},
        {kMiB - 1, 1048575, TXTINS_Bytes},
        {kMiB, 1, TXTINS_MB},
        {700 * kMiB + kMiB - 1, 700, TXTINS_MB},
        {1024 * kMiB, 1024, TXTINS_MB},
        {1025 * kMiB, 1, TXTINS_GB},
        {3 * kGiB + kGiB / 2, 3, TXTINS_GB},
        {2 * kGiB - 1, 1, TXTINS_GB},
        {5 * 1024 * kGiB, 5120, TXTINS_GB},
    };
    for (const Case& c : cases) {
        const SpaceAmount shown = SpaceAmountOf(c.bytes);
        EXPECT_EQ(shown.amount, c.amount) << c.bytes;
        EXPECT_EQ(shown.unit, c.unit) << c.bytes;
    }
}

TEST(InstallSpace, LabelTextsCarryAmountAndUnit) {
    const MessageTable table = EnglishSpaceTexts();
    EXPECT_EQ(SpaceLabelText(table, TXTINS_Space_requiredX_N0_N1, 5 * kMiB, 0).view(),
              "Space required: 5 MB");
    EXPECT_EQ(SpaceLabelText(table, TXTINS_Space_availableX_N0_N1, 3 * kGiB + kGiB / 2, 0).view(),
              "Space available: 3 GB");
    EXPECT_EQ(SpaceLabelText(table, TXTINS_Space_availableX_N0_N1, 512 * 1024, 0).view(),
              "Space available: 524288 Bytes");
    EXPECT_EQ(SpaceLabelText(table, TXTINS_Space_availableX_N0_N1, 0, 0).view(),
              "Space available: 0 Bytes");
}

TEST(InstallSpace, PickedFolderGetsTheNameUnlessItHoldsTheBrand) {
    EXPECT_EQ(Pick("D:\\Games"), "D:\\Games\\Zembrico.FR");
    EXPECT_EQ(Pick("D:\\Games\\"), "D:\\Games\\Zembrico.FR");
    EXPECT_EQ(Pick("D:\\Games\\Zembrico"), "D:\\Games\\Zembrico");
    EXPECT_EQ(Pick("D:\\Games\\zEMBRICO"), "D:\\Games\\zEMBRICO");
    EXPECT_EQ(Pick("D:\\MyZembricoPoker\\x"), "D:\\MyZembricoPoker\\x");
    EXPECT_EQ(Pick("D:\\Games\\Zembric"), "D:\\Games\\Zembric\\Zembrico.FR");
}

TEST(InstallSpace, PickedFolderKeepsCharactersOfEitherEncoding) {
    // A path with a character outside Windows-1252 (marked UTF-8) and a name in Windows-1252.
    const std::string path =
        "\x10"
        "D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B";
    const std::string folder = Pick(path.c_str(), "Caf\xE9");
    EXPECT_EQ(folder,
              "\x10"
              "D:\\\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\Caf\xC3\xA9");
    // Both in Windows-1252: stays Windows-1252.
    EXPECT_EQ(Pick("D:\\Spi\xEBle", "Caf\xE9"), "D:\\Spi\xEBle\\Caf\xE9");
}
