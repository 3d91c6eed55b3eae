#include "installer/core/buildoptions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "capturelog.h"
#include "plib/perror.h"

namespace {

int RowOf(std::string_view suffix) {
    const BuildOptions::Table& rows = BuildOptions::table();
    for (int i = 0; i < BuildOptions::kRowCount; ++i) {
        if (rows[i].suffix == suffix) return i;
    }
    return -1;
}

TEST(BuildOptions, RowChoiceIsByteExactSuffix) {
    const struct {
        const char* name;
        const char* suffix;
    } cases[] = {
        {"Zembrico", ""},                // no point: the last row
        {"Zembrico.RUSOPM", ".RUSOPM"},  // not the shorter ".RUSO"
        {"Zembrico.RUSO", ".RUSO"},
        {"Zembrico.DESH", ".DESH"},  // ".DE" is not an ending of it
        {"Zembrico.Belgium", ".Belgium"},
        {"Zembrico.fr", ""},  // letter case matters
        {"Zembrico.TEST", ".TEST"},
        {"Zembrico.UnitedKingdom", ".UnitedKingdom"},
        {"UK", ""},  // a suffix longer than the name never matches
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildOptions::findRow(c.name), RowOf(c.suffix)) << c.name;
    }
    EXPECT_EQ(BuildOptions::findRow("Zembrico"), 50);
}

TEST(BuildOptions, TableFlagsFollowTheEditions) {
    const BuildOptions::Table& rows = BuildOptions::table();
    EXPECT_EQ(rows[0].suffix, ".TEST");
    EXPECT_EQ(rows[50].suffix, "");
    const std::set<std::string_view> neither = {".TEST",  ".USMI", ".USNJ", ".USPA",
                                                ".Alpha", ".Beta", ""};
    std::set<std::string_view> suffixes;
    for (int i = 0; i < BuildOptions::kRowCount; ++i) {
        const BuildRow& row = rows[i];
        EXPECT_TRUE(suffixes.insert(row.suffix).second) << "repeated suffix " << row.suffix;
        const bool legacy = (i >= 1 && i <= 4) || row.suffix == ".RUSOPM";
        EXPECT_EQ(row.legacy, legacy ? 1 : 0) << i;
        EXPECT_EQ(!row.registryName.empty() && !row.displayName.empty(), legacy) << i;
        const bool removes = !legacy && !neither.contains(row.suffix);
        EXPECT_EQ(row.removesLegacy, removes ? 1 : 0) << i;
        // Bit 24 is the only site set that offers English.
        EXPECT_TRUE(row.sites.test(24)) << i;
    }
}

TEST(BuildOptions, CurrentRowBeforeSelectionLogsAndGivesNothing) {
    ScopedCaptureLog log;
    BuildOptions options;
    EXPECT_EQ(options.currentRow(), nullptr);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"BuildOptions is not inited"});
    options.select("Zembrico.FR");
    ASSERT_NE(options.currentRow(), nullptr);
    EXPECT_EQ(options.currentRow()->suffix, ".FR");
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST(BuildOptions, IteratorStopsOnRowsWithTheWantedLegacyFlag) {
    std::vector<std::string_view> legacy;
    for (BuildOptions::BuildIterator it(1); it.valid(); it.next()) {
        legacy.push_back(it.row().suffix);
    }
    ASSERT_EQ(legacy.size(), 5u);
    EXPECT_EQ(legacy.back(), ".RUSOPM");

    int current = 0;
    for (BuildOptions::BuildIterator it(0); it.valid(); it.next()) {
        EXPECT_EQ(it.row().legacy, 0);
        ++current;
    }
    EXPECT_EQ(current, 46);
}

TEST(BuildOptions, IteratorPastTheEndLogsAndAsserts) {
    ScopedCaptureLog log;
    BuildOptions::BuildIterator it(7);  // no row has this flag
    EXPECT_FALSE(it.valid());
    EXPECT_THROW(it.row(), PAssert);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"BuildOptions::BuildIterator is not inited"});
    it.next();  // stays at the end
    EXPECT_EQ(it.index(), BuildOptions::kRowCount);
}

}  // namespace
