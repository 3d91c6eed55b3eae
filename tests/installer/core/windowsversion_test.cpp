#include "installer/core/windowsversion.h"

#include <gtest/gtest.h>

namespace {

constexpr WindowsVersion kXp{5, 1, 2600, 2};
constexpr WindowsVersion kVista{6, 0, 6002, 2};
constexpr WindowsVersion kWindows81{6, 3, 9600, 2};
constexpr WindowsVersion kWindows10{10, 0, 19045, 2};
constexpr WindowsVersion kWindows98{4, 10, 2222, 1};
constexpr WindowsVersion kWin32s{3, 11, 0, 0};

TEST(PreVistaCheck, StopsBeforeVistaWithTheSupportText) {
    struct Case {
        std::optional<WindowsVersion> version;
        bool proceed;
    };
    const Case cases[] = {{kXp, false},        {kWindows98, false}, {kWin32s, false},
                          {kVista, true},      {kWindows81, true},  {kWindows10, true},
                          {std::nullopt, true}};
    for (const Case& c : cases) {
        const VersionDecision decision = CheckPreVista(c.version);
        EXPECT_EQ(decision.proceed, c.proceed) << (c.version ? c.version->major : 0);
        EXPECT_EQ(decision.message,
                  c.proceed ? TXTINS_EMPTY_STUB : TXTINS_Support_for_your_operating_sys_ELL_1);
    }
}

TEST(MinimumVersionCheck, ComparesTheMajorVersion) {
    EXPECT_TRUE(CheckMinimumVersion(kWindows10, 10).proceed);
    const VersionDecision old = CheckMinimumVersion(kWindows81, 10);
    EXPECT_FALSE(old.proceed);
    EXPECT_EQ(old.message, TXTINS_Your_operating_system_needs_to_ELL);
    EXPECT_TRUE(CheckMinimumVersion(kWindows81, 6).proceed);
    EXPECT_FALSE(CheckMinimumVersion(kVista, 7).proceed);
}

TEST(MinimumVersionCheck, NoMinimumOrUnknownVersionPasses) {
    EXPECT_TRUE(CheckMinimumVersion(kXp, 0).proceed);
    EXPECT_TRUE(CheckMinimumVersion(kWindows98, 0).proceed);
    EXPECT_TRUE(CheckMinimumVersion(std::nullopt, 10).proceed);
}

TEST(MinimumVersionCheck, NineXFamilyFailsAnyMinimum) {
    EXPECT_FALSE(CheckMinimumVersion(kWindows98, 4).proceed);
    EXPECT_FALSE(CheckMinimumVersion(kWin32s, 1).proceed);
}

TEST(VersionFacts, LegacyAndVistaOrLater) {
    EXPECT_TRUE(IsLegacyWindows(0xC0000A04));   // Windows 98
    EXPECT_TRUE(IsLegacyWindows(0x05650004));   // NT 4
    EXPECT_FALSE(IsLegacyWindows(0x0A280105));  // XP
    EXPECT_FALSE(IsLegacyWindows(0x4A65000A));  // 10
    EXPECT_FALSE(IsVistaOrLater(kXp));
    EXPECT_TRUE(IsVistaOrLater(kVista));
    EXPECT_FALSE(IsVistaOrLater(WindowsVersion{6, 0, 0, 1}));
    EXPECT_FALSE(IsVistaOrLater(std::nullopt));
}

}  // namespace
