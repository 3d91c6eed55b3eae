#include "installer/core/messagekeys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(MessageKeys, TableIsStrictlySortedInByteOrderForBinarySearch) {
    for (std::uint32_t i = 1; i < kMessageKeyCount; ++i) {
        EXPECT_LT(kMessageKeyTable[i - 1].name, kMessageKeyTable[i].name) << i;
    }
}

TEST(MessageKeys, EveryIdAppearsExactlyOnce) {
    std::set<int> ids;
    for (const auto& entry : kMessageKeyTable) ids.insert(entry.id);
    EXPECT_EQ(ids.size(), kMessageKeyCount);
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), static_cast<int>(kMessageKeyCount) - 1);
}

TEST(MessageKeys, FindsEveryKeyByItsName) {
    for (const auto& entry : kMessageKeyTable) {
        const auto found = FindMessageKey(entry.name);
        ASSERT_TRUE(found.has_value()) << entry.name;
        EXPECT_EQ(*found, entry.id);
    }
    EXPECT_EQ(FindMessageKey("TXTINS_Install_Zembrico_Software"), TXTINS_Install_Zembrico_Software);
    EXPECT_EQ(int{TXTINS_Install_Zembrico_Software}, 91);
    EXPECT_EQ(int{TXTINS_Please_download_WebView2_to_si_ELL_1}, 147);
    EXPECT_EQ(int{TXTINS_N0_cannot_be_the_install_folde_ELL}, 148);
    EXPECT_EQ(int{TXTINS_N0_cannot_be_the_install_folde_ELL}, 148);
}

TEST(MessageKeys, RejectsNamesThatAreNotKeys) {
    for (const char* name : {"", "TXTINS_", "TXTINS_Cance", "TXTINS_Cancel ", "txtins_cancel",
                             "TXTINS_Cancelled", "ZZZ", "TXTINS_EMPTY_STUB_"}) {
        EXPECT_FALSE(FindMessageKey(name).has_value()) << name;
    }
}
